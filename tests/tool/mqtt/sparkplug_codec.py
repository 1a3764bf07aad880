#!/usr/bin/env python3
"""Sparkplug B payloads for the tests of quorsma mqtt --sparkplug, through
Python's protobuf with a module generated from the vendored schema by protoc
at run time (so the tool's own protobuf-c code is checked against an
independent decoder).

  sparkplug_codec.py PROTO_DIR decode < records   one JSON object per record
  sparkplug_codec.py PROTO_DIR encode < json      one hex payload per line

A record is "<topic>\\n<length>\\n<payload bytes>".  Decoded: {"topic",
"timestamp", "seq", "metrics": [{"name", "alias", "datatype", "timestamp",
"value", "is_null", "properties": {key: string}}]}, absent fields left out.
Encoded: each input line {"metrics": [{"name"|"alias", "datatype", "value"}]}.
"""
import json
import subprocess
import sys
import tempfile


def load(proto_dir, out):
    subprocess.run(["protoc", "--proto_path=" + proto_dir, "--python_out=" + out, "sparkplug_b.proto"], check=True)
    sys.path.insert(0, out)
    import sparkplug_b_pb2  # noqa: E402
    return sparkplug_b_pb2


def decode(pb2, stream):
    while True:
        topic = stream.readline()
        if not topic:
            return
        length = int(stream.readline())
        payload = pb2.Payload()
        payload.ParseFromString(stream.read(length))
        out = {"topic": topic.decode().rstrip("\n"), "metrics": []}
        for field in ("timestamp", "seq"):
            if payload.HasField(field):
                out[field] = getattr(payload, field)
        for m in payload.metrics:
            metric = {}
            for field in ("name", "alias", "datatype", "timestamp", "is_null"):
                if m.HasField(field):
                    metric[field] = getattr(m, field)
            kind = m.WhichOneof("value")
            if kind is not None:
                metric["value"] = getattr(m, kind)
                if kind == "int_value" and metric["value"] >= (1 << 31):
                    metric["value"] -= 1 << 32  # Int32 travels as its 32-bit pattern
            if m.HasField("properties"):
                metric["properties"] = {k: v.string_value for k, v in zip(m.properties.keys, m.properties.values)}
            out["metrics"].append(metric)
        print(json.dumps(out), flush=True)


def encode(pb2, stream):
    for line in stream:
        command = json.loads(line)
        payload = pb2.Payload()
        payload.seq = 0
        for item in command["metrics"]:
            m = payload.metrics.add()
            if "name" in item:
                m.name = item["name"]
            if "alias" in item:
                m.alias = item["alias"]
            m.datatype = item["datatype"]
            value = item["value"]
            if m.datatype == 11:
                m.boolean_value = bool(value)
            elif m.datatype in (4, 8):
                m.long_value = value & ((1 << 64) - 1)
            else:
                m.int_value = value & 0xFFFFFFFF
        print(payload.SerializeToString().hex(), flush=True)


if __name__ == "__main__":
    with tempfile.TemporaryDirectory(prefix="qsma-sparkplug-") as generated:
        pb2 = load(sys.argv[1], generated)
        if sys.argv[2] == "decode":
            decode(pb2, sys.stdin.buffer)
        else:
            encode(pb2, sys.stdin)
