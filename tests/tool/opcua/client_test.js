// quorsma opcua seen by an independent client (node-opcua): browse, read
// values and comments, a change made by `quorsma set` arriving as a
// data-change notification, writes inside and outside the permission, the
// anonymous session, an encrypted session, a wrong password, and a few
// hostile clients.  Usage: node client_test.js TOOL WORKDIR
"use strict";
const { spawn, execFileSync } = require("child_process");
const fs = require("fs");
const net = require("net");
const path = require("path");
const {
  OPCUAClient, MessageSecurityMode, SecurityPolicy, AttributeIds, DataType,
  StatusCodes, UserTokenType, TimestampsToReturn,
} = require("node-opcua-client");
const { OPCUACertificateManager } = require("node-opcua-certificate-manager");

const [tool, work] = process.argv.slice(2);
let failures = 0;
function check(ok, what) {
  console.log(`${ok ? "ok  " : "FAIL"} ${what}`);
  if (!ok) failures++;
}
const run = (...args) => execFileSync(tool, args, { encoding: "utf8", stdio: ["ignore", "pipe", "ignore"] }).trim();
// The value column of `quorsma get DEVICE`.
const valueOf = (device) => run("get", device).split("\n")[1].trim().split(/\s+/)[1];
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

function freePort() {
  return new Promise((resolve) => {
    const s = net.createServer().listen(0, "127.0.0.1", () => {
      const { port } = s.address();
      s.close(() => resolve(port));
    });
  });
}

async function startServer(port, extra) {
  const server = spawn(tool, ["opcua", "--listen", `opc.tcp://127.0.0.1:${port}`, "--data-dir",
                              path.join(work, "data"), ...extra], { stdio: ["ignore", "pipe", "pipe"] });
  server.lines = "";
  server.stdout.on("data", (d) => (server.lines += d));
  server.stderr.on("data", (d) => (server.lines += d));
  server.on("exit", (code, signal) => {
    if (!server.stopping) { console.log(`FAIL the server ended (${code}, ${signal}):\n${server.lines}`); process.exit(1); }
  });
  for (let i = 0; i < 300 && !server.lines.includes("listening on"); i++) await sleep(50);
  if (!server.lines.includes("listening on")) throw new Error("the server did not start: " + server.lines);
  return server;
}

const certificates = new OPCUACertificateManager({ rootFolder: path.join(work, "client-pki"),
                                                   automaticallyAcceptUnknownCertificate: true });

async function open(url, { mode = MessageSecurityMode.None, user = null } = {}) {
  const client = OPCUAClient.create({
    endpointMustExist: false, connectionStrategy: { maxRetry: 0 }, securityMode: mode,
    securityPolicy: mode === MessageSecurityMode.None ? SecurityPolicy.None : SecurityPolicy.Basic256Sha256,
    clientCertificateManager: certificates, requestedSessionTimeout: 10000,
  });
  await client.connect(url);
  try {
    const session = await client.createSession(user ? { type: UserTokenType.UserName, ...user } : undefined);
    return { client, session };
  } catch (e) {
    await client.disconnect();
    throw e;
  }
}

async function main() {
  fs.mkdirSync(work, { recursive: true });
  await certificates.initialize();
  run("comment", "set", "D", "100", "온도 설정");
  const line = execFileSync(tool, ["opcua", "--hash-password", "alice"], { input: "s3cret\n", encoding: "utf8" });
  fs.writeFileSync(path.join(work, "users.txt"), "# test users\n" + line);
  const port = await freePort();
  const url = `opc.tcp://127.0.0.1:${port}`;
  const server = await startServer(port, ["--users", path.join(work, "users.txt"), "--allow-write", "D100..D109",
                                          "--nodes", "D0..D299,M0..M15,T0..T3", "--max-sessions", "4"]);
  try {
    const second = require("child_process").spawnSync(tool, ["opcua", "--listen", url, "--data-dir",
      path.join(work, "data")], { encoding: "utf8", timeout: 10000 });
    check(second.status === 1 && /cannot serve .*Address already in use/.test(second.stderr),
          `a second server on the same port is refused: ${second.status} ${second.stderr.trim().split("\n").pop()}`);
    await cases(url, server);
  } finally {
    server.stopping = true;
    server.kill("SIGTERM");
    const code = await new Promise((r) => server.on("exit", (c) => r(c)));
    check(code === 0, `SIGTERM stops the server cleanly (exit ${code})`);
    check(/session opened: alice \(Basic256Sha256 SignAndEncrypt\)/.test(server.lines) &&
          /session closed: anonymous/.test(server.lines), "a line per session opened and closed");
  }
}

async function cases(url, server) {
  const { client, session } = await open(url);
  const namespaces = (await session.readNamespaceArray());
  const ns = namespaces.indexOf("urn:quorsma:devices");
  const id = (s) => `ns=${ns};s=${s}`;
  const section = process.env.QUORSMA_SECTION;

  const browsed = await session.browse(id(`QuorSMA/${section}`));
  const kinds = browsed.references.map((r) => r.browseName.name).sort();
  check(JSON.stringify(kinds) === JSON.stringify(["D", "M", "Runner", "T"]),
        `the section's folder holds D M Runner T: ${kinds}`);
  const timer = await session.browse(id("T0"));
  const parts = timer.references.map((r) => r.browseName.name).sort();
  check(JSON.stringify(parts) === JSON.stringify(["Contact", "Current", "Set"]), `a timer has ${parts}`);

  run("set", "D100", "1234");
  run("set", "M3", "1");
  const [d100, m3, description, type, running] = await session.read([
    { nodeId: id("D100"), attributeId: AttributeIds.Value }, { nodeId: id("M3"), attributeId: AttributeIds.Value },
    { nodeId: id("D100"), attributeId: AttributeIds.Description },
    { nodeId: id("T0.Current"), attributeId: AttributeIds.Value },
    { nodeId: id(`QuorSMA/${section}/Runner/Running`), attributeId: AttributeIds.Value }]);
  check(d100.value.value === 1234 && d100.value.dataType === DataType.Int32, `D100 reads 1234 as Int32`);
  check(m3.value.value === true && m3.value.dataType === DataType.Boolean, "M3 reads true as Boolean");
  check(description.value.value.text === "온도 설정", `D100's comment in UTF-8: ${description.value.value.text}`);
  check(type.value.dataType === DataType.Int32, "a timer's current value is Int32");
  check(running.value.value === false, "no runner: Runner/Running reads false");

  // A change made by another program arrives as a notification.
  const subscription = await session.createSubscription2({ requestedPublishingInterval: 100,
    requestedMaxKeepAliveCount: 10, publishingEnabled: true });
  const item = await subscription.monitor({ nodeId: id("D101"), attributeId: AttributeIds.Value },
    { samplingInterval: 100, queueSize: 10, discardOldest: true }, TimestampsToReturn.Both);
  const seen = [];
  item.on("changed", (v) => seen.push(v));
  await sleep(400);
  run("set", "D101", "77");
  for (let i = 0; i < 40 && !seen.some((v) => v.value.value === 77); i++) await sleep(50);
  const change = seen.find((v) => v.value.value === 77);
  check(change !== undefined && change.sourceTimestamp instanceof Date,
        "quorsma set D101 77 arrives as a data-change notification with a source timestamp");
  await subscription.terminate();

  // Writes: the anonymous session never writes.
  const writeAs = async (s, node, value, dataType = DataType.Int32) =>
    s.write({ nodeId: id(node), attributeId: AttributeIds.Value, value: { value: { dataType, value } } });
  check((await writeAs(session, "D100", 5)).equals(StatusCodes.BadUserAccessDenied),
        "an anonymous write is refused with BadUserAccessDenied");
  check(valueOf("D100") === "1234", "and D100 is unchanged");
  await session.close();
  await client.disconnect();

  // A wrong password.
  let refused = null;
  try {
    const c = await open(url, { mode: MessageSecurityMode.SignAndEncrypt, user: { userName: "alice", password: "no" } });
    await c.session.close();
    await c.client.disconnect();
  } catch (e) {
    refused = e;
  }
  check(refused !== null, "a wrong password is refused");

  // The user, over an encrypted channel.
  const alice = await open(url, { mode: MessageSecurityMode.SignAndEncrypt,
                                  user: { userName: "alice", password: "s3cret" } });
  const writes = [
    ["D100", 5, DataType.Int32, StatusCodes.Good, "5"],
    ["D109", -7, DataType.Int32, StatusCodes.Good, "-7"],
    ["D110", 9, DataType.Int32, StatusCodes.BadNotWritable, "0"],   // outside --allow-write
    ["M0", true, DataType.Boolean, StatusCodes.BadNotWritable, "0"],
    ["D101", true, DataType.Boolean, StatusCodes.BadTypeMismatch, "77"],
    ["T0.Set", 3, DataType.Int32, StatusCodes.BadNotWritable, "0"],
  ];
  for (const [node, value, dataType, expected, after] of writes) {
    const status = await writeAs(alice.session, node, value, dataType);
    const device = node.split(".")[0];
    const now = device === "T0" ? "0" : valueOf(device);
    check(status.equals(expected) && (device === "T0" || now === after),
          `alice writes ${value} to ${node}: ${status.name}, reads ${now}`);
  }

  // Hostile: a read of more nodes than a request may hold, then more
  // sessions than allowed; the server goes on serving.
  const many = Array.from({ length: 10001 }, () => ({ nodeId: id("D0"), attributeId: AttributeIds.Value }));
  let tooMany = null;
  try { await alice.session.read(many); } catch (e) { tooMany = e; }
  check(tooMany !== null, "a read of 10,001 nodes is refused");
  const extra = [];
  let sessionRefused = false;
  for (let i = 0; i < 6; i++) {
    try { extra.push(await open(url)); } catch (e) { sessionRefused = true; }
  }
  check(sessionRefused && extra.length <= 3, `sessions beyond --max-sessions 4 are refused (${extra.length} more opened)`);
  for (const c of extra) { await c.session.close(); await c.client.disconnect(); }
  const again = await alice.session.read({ nodeId: id("D100"), attributeId: AttributeIds.Value });
  check(again.value.value === 5, "the server still answers");

  // Silent connections beyond the channel limit (--max-sessions 4 + 8) do
  // not keep a client out: channels without a session make room.
  const silent = await Promise.all(Array.from({ length: 30 }, () => new Promise((resolve) => {
    const s = net.connect(Number(url.split(":").pop()), "127.0.0.1", () => resolve(s));
    s.on("error", () => resolve(s));
  })));
  await sleep(200);
  let through = null;
  try {
    const c = await open(url);
    through = (await c.session.read({ nodeId: id("D100"), attributeId: AttributeIds.Value })).value.value;
    await c.session.close();
    await c.client.disconnect();
  } catch (e) { through = e.message; }
  check(through === 5, `a client gets through 30 silent connections: ${through}`);
  for (const s of silent) s.destroy();

  // A raw hello announcing an oversize message, then garbage: the
  // connection is dropped, nothing else changes.
  const raw = await new Promise((resolve) => {
    const s = net.connect(Number(url.split(":").pop()), "127.0.0.1", () => {
      const hello = Buffer.alloc(32 + 1024 * 1024, 0x41);
      hello.write("HELF", 0);
      hello.writeUInt32LE(hello.length, 4);
      s.write(hello);
    });
    s.on("data", () => {});
    s.on("error", () => resolve("closed"));
    s.on("end", () => resolve("closed"));
    s.on("close", () => resolve("closed"));
    setTimeout(() => { s.destroy(); resolve("open"); }, 5000);
  });
  check(raw === "closed", "an oversize malformed message closes its connection");
  await alice.session.close();
  await alice.client.disconnect();
  void server;
}

main().then(() => {
  console.log(failures === 0 ? "all passed" : `${failures} failed`);
  process.exit(failures === 0 ? 0 : 1);
}, (e) => {
  console.log("FAIL", e && e.stack ? e.stack : e);
  process.exit(1);
});
