#include "sparkplug_payload.h"

#include <memory>

#include "sparkplug_b.pb-c.h"

namespace quorsma::tool::mqtt::sparkplug {
namespace {

using PbPayload = Org__Eclipse__Tahu__Protobuf__Payload;
using PbMetric = Org__Eclipse__Tahu__Protobuf__Payload__Metric;
using PbPropertySet = Org__Eclipse__Tahu__Protobuf__Payload__PropertySet;
using PbPropertyValue = Org__Eclipse__Tahu__Protobuf__Payload__PropertyValue;

// The structures protobuf-c packs from, pointing into the C++ values: they
// live as long as this object.
struct Packed {
  std::vector<PbMetric> metrics;
  std::vector<PbMetric*> metric_pointers;
  std::vector<PbPropertySet> sets;
  std::vector<std::vector<char*>> keys;
  std::vector<std::vector<PbPropertyValue>> values;
  std::vector<std::vector<PbPropertyValue*>> value_pointers;
};

char* Chars(const std::string& text) { return const_cast<char*>(text.c_str()); }

}  // namespace

std::string Encode(const Payload& payload) {
  Packed packed;
  const std::size_t n = payload.metrics.size();
  packed.metrics.resize(n);
  packed.sets.resize(n);
  packed.keys.resize(n);
  packed.values.resize(n);
  packed.value_pointers.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    const Metric& m = payload.metrics[i];
    PbMetric& pb = packed.metrics[i];
    org__eclipse__tahu__protobuf__payload__metric__init(&pb);
    if (!m.name.empty()) pb.name = Chars(m.name);
    pb.has_alias = m.alias.has_value();
    pb.alias = m.alias.value_or(0);
    pb.has_timestamp = m.timestamp.has_value();
    pb.timestamp = m.timestamp.value_or(0);
    pb.has_datatype = m.datatype != 0;
    pb.datatype = m.datatype;
    pb.has_is_null = m.is_null;
    pb.is_null = m.is_null;
    switch (m.value) {
      case Metric::Value::kNone:
        break;
      case Metric::Value::kInt:
        pb.value_case = ORG__ECLIPSE__TAHU__PROTOBUF__PAYLOAD__METRIC__VALUE_INT_VALUE;
        pb.int_value = static_cast<uint32_t>(m.number);
        break;
      case Metric::Value::kLong:
        pb.value_case = ORG__ECLIPSE__TAHU__PROTOBUF__PAYLOAD__METRIC__VALUE_LONG_VALUE;
        pb.long_value = m.number;
        break;
      case Metric::Value::kBool:
        pb.value_case = ORG__ECLIPSE__TAHU__PROTOBUF__PAYLOAD__METRIC__VALUE_BOOLEAN_VALUE;
        pb.boolean_value = m.number != 0;
        break;
      case Metric::Value::kString:
        pb.value_case = ORG__ECLIPSE__TAHU__PROTOBUF__PAYLOAD__METRIC__VALUE_STRING_VALUE;
        pb.string_value = Chars(m.text);
        break;
    }
    if (!m.properties.empty()) {
      PbPropertySet& set = packed.sets[i];
      org__eclipse__tahu__protobuf__payload__property_set__init(&set);
      auto& values = packed.values[i];
      values.resize(m.properties.size());
      for (std::size_t k = 0; k < m.properties.size(); ++k) {
        packed.keys[i].push_back(Chars(m.properties[k].first));
        org__eclipse__tahu__protobuf__payload__property_value__init(&values[k]);
        values[k].has_type = true;
        values[k].type = kString;
        values[k].value_case = ORG__ECLIPSE__TAHU__PROTOBUF__PAYLOAD__PROPERTY_VALUE__VALUE_STRING_VALUE;
        values[k].string_value = Chars(m.properties[k].second);
        packed.value_pointers[i].push_back(&values[k]);
      }
      set.n_keys = packed.keys[i].size();
      set.keys = packed.keys[i].data();
      set.n_values = packed.value_pointers[i].size();
      set.values = packed.value_pointers[i].data();
      pb.properties = &set;
    }
    packed.metric_pointers.push_back(&pb);
  }
  PbPayload pb;
  org__eclipse__tahu__protobuf__payload__init(&pb);
  pb.has_timestamp = payload.timestamp.has_value();
  pb.timestamp = payload.timestamp.value_or(0);
  pb.has_seq = payload.seq.has_value();
  pb.seq = payload.seq.value_or(0);
  pb.n_metrics = n;
  pb.metrics = packed.metric_pointers.data();
  std::string out(org__eclipse__tahu__protobuf__payload__get_packed_size(&pb), '\0');
  org__eclipse__tahu__protobuf__payload__pack(&pb, reinterpret_cast<uint8_t*>(out.data()));
  return out;
}

bool Decode(const std::string& bytes, std::size_t max_metrics, Payload* out, std::string* error) {
  std::unique_ptr<PbPayload, void (*)(PbPayload*)> pb(
      org__eclipse__tahu__protobuf__payload__unpack(nullptr, bytes.size(),
                                                     reinterpret_cast<const uint8_t*>(bytes.data())),
      [](PbPayload* p) {
        if (p != nullptr) org__eclipse__tahu__protobuf__payload__free_unpacked(p, nullptr);
      });
  if (pb == nullptr) {
    *error = "not a Sparkplug B payload (" + std::to_string(bytes.size()) + " bytes that do not decode)";
    return false;
  }
  if (pb->n_metrics > max_metrics) {
    *error = std::to_string(pb->n_metrics) + " metrics: at most " + std::to_string(max_metrics) + " are taken";
    return false;
  }
  Payload p;
  if (pb->has_timestamp) p.timestamp = pb->timestamp;
  if (pb->has_seq) p.seq = pb->seq;
  for (std::size_t i = 0; i < pb->n_metrics; ++i) {
    const PbMetric& m = *pb->metrics[i];
    Metric metric;
    if (m.name != nullptr) metric.name = m.name;
    if (m.has_alias) metric.alias = m.alias;
    if (m.has_timestamp) metric.timestamp = m.timestamp;
    if (m.has_datatype) metric.datatype = m.datatype;
    metric.is_null = m.has_is_null && m.is_null;
    switch (m.value_case) {
      case ORG__ECLIPSE__TAHU__PROTOBUF__PAYLOAD__METRIC__VALUE_INT_VALUE:
        metric.value = Metric::Value::kInt;
        metric.number = m.int_value;
        break;
      case ORG__ECLIPSE__TAHU__PROTOBUF__PAYLOAD__METRIC__VALUE_LONG_VALUE:
        metric.value = Metric::Value::kLong;
        metric.number = m.long_value;
        break;
      case ORG__ECLIPSE__TAHU__PROTOBUF__PAYLOAD__METRIC__VALUE_BOOLEAN_VALUE:
        metric.value = Metric::Value::kBool;
        metric.number = m.boolean_value ? 1 : 0;
        break;
      case ORG__ECLIPSE__TAHU__PROTOBUF__PAYLOAD__METRIC__VALUE_STRING_VALUE:
        metric.value = Metric::Value::kString;
        metric.text = m.string_value != nullptr ? m.string_value : "";
        break;
      default:
        break;
    }
    p.metrics.push_back(std::move(metric));
  }
  *out = std::move(p);
  return true;
}

}  // namespace quorsma::tool::mqtt::sparkplug
