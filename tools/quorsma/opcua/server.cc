#include "server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "open62541.h"

namespace quorsma::tool::opcua {
namespace {

constexpr char kNamespaceUri[] = "urn:quorsma:devices";
constexpr char kPolicyNone[] = "http://opcfoundation.org/UA/SecurityPolicy#None";
constexpr char kPolicyBasic256Sha256[] = "http://opcfoundation.org/UA/SecurityPolicy#Basic256Sha256";

enum class Field { kBit, kRegister, kTimerContact, kTimerCurrent, kTimerSet };

struct State;

// What a variable node reads: a field of one device.
struct NodeContext {
  State* state;
  const DeviceNode* node;
  Field field;
};

struct State {
  MH_SHARED_STRUCTURE* image;
  const qsc_permission* allow_write;
  const std::vector<User>* users;
  bool verbose;
  UA_AccessControl original;  // the stack's own callbacks, wrapped below
  std::map<std::string, std::string> sessions;  // session id -> who
};

State* g_state = nullptr;  // the access-control callbacks carry no context of ours

int32_t LoadCell(const int32_t* cell) { return __atomic_load_n(cell, __ATOMIC_RELAXED); }

// Warnings and errors of the stack, on standard error; its chatter is dropped.
// Dropped as well: what the README says once (client certificates are not
// checked), the stack's note that the access control is set after its
// defaults, and a poll cut short by the stop signal.
bool Known(const char* message) {
  static const char* const kKnown[] = {"No certificate store configured", "Unconfigured AccessControl",
                                       "Timeout during poll"};
  for (const char* known : kKnown)
    if (std::strstr(message, known) != nullptr) return true;
  return false;
}

void LogToStderr(void*, UA_LogLevel level, UA_LogCategory, const char* message, va_list args) {
  if (level < UA_LOGLEVEL_WARNING || Known(message)) return;
  char text[512];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  std::vsnprintf(text, sizeof text, message, args);
#pragma GCC diagnostic pop
  std::fprintf(stderr, "quorsma: opcua: %s\n", text);
}

UA_Logger g_logger = {LogToStderr, nullptr, nullptr};

std::string Text(const UA_String& s) { return std::string(reinterpret_cast<const char*>(s.data), s.length); }

// A name a client sent, for a log line: control characters escaped, at most
// 64 bytes of it.
std::string Printable(const UA_String& s) {
  constexpr std::size_t kLongest = 64;
  const std::size_t length = s.length < kLongest ? s.length : kLongest;
  char out[kLongest * 4 + 8];
  const std::size_t n = qsc_escape_controls(reinterpret_cast<const char*>(s.data), length, out, sizeof out);
  std::string text(out, n < sizeof out ? n : sizeof out - 1);
  return s.length > kLongest ? text + "..." : text;
}

std::string SessionKey(const UA_NodeId* id) {
  UA_String out = UA_STRING_NULL;
  UA_NodeId_print(id, &out);
  std::string key = Text(out);
  UA_String_clear(&out);
  return key;
}

UA_StatusCode ReadDevice(UA_Server*, const UA_NodeId*, void*, const UA_NodeId*, void* context,
                         UA_Boolean source_timestamp, const UA_NumericRange* range, UA_DataValue* value) {
  const auto* c = static_cast<const NodeContext*>(context);
  if (range != nullptr) {
    value->hasStatus = true;
    value->status = UA_STATUSCODE_BADINDEXRANGEINVALID;
    return UA_STATUSCODE_GOOD;
  }
  const MH_SHARED_STRUCTURE* image = c->state->image;
  UA_StatusCode status = UA_STATUSCODE_GOOD;
  switch (c->field) {
    case Field::kBit:
    case Field::kTimerContact: {
      UA_Boolean on = c->field == Field::kBit ? LoadCell(c->node->cell) != 0 : TimerContact(image, c->node->number);
      status = UA_Variant_setScalarCopy(&value->value, &on, &UA_TYPES[UA_TYPES_BOOLEAN]);
      break;
    }
    case Field::kRegister:
    case Field::kTimerCurrent:
    case Field::kTimerSet: {
      UA_Int32 number =
          LoadCell(c->field == Field::kTimerSet ? TimerSet(image, c->node->number) : c->node->cell);
      status = UA_Variant_setScalarCopy(&value->value, &number, &UA_TYPES[UA_TYPES_INT32]);
      break;
    }
  }
  if (status != UA_STATUSCODE_GOOD) return status;
  value->hasValue = true;
  if (source_timestamp) {
    value->sourceTimestamp = UA_DateTime_now();
    value->hasSourceTimestamp = true;
  }
  return UA_STATUSCODE_GOOD;
}

// The stack has checked the node's access levels (BadNotWritable,
// BadUserAccessDenied) and the value's type against the node's; the checked
// write decides again from the permission itself.
UA_StatusCode WriteDevice(UA_Server*, const UA_NodeId*, void* session, const UA_NodeId*, void* context,
                          const UA_NumericRange* range, const UA_DataValue* data) {
  const auto* c = static_cast<const NodeContext*>(context);
  if (session == nullptr) return UA_STATUSCODE_BADUSERACCESSDENIED;
  if (range != nullptr) return UA_STATUSCODE_BADINDEXRANGEINVALID;
  if (!data->hasValue || !UA_Variant_isScalar(&data->value)) return UA_STATUSCODE_BADTYPEMISMATCH;
  int64_t value = 0;
  if (c->field == Field::kBit && data->value.type == &UA_TYPES[UA_TYPES_BOOLEAN])
    value = *static_cast<const UA_Boolean*>(data->value.data) ? 1 : 0;
  else if (c->field == Field::kRegister && data->value.type == &UA_TYPES[UA_TYPES_INT32])
    value = *static_cast<const UA_Int32*>(data->value.data);
  else
    return c->field == Field::kBit || c->field == Field::kRegister ? UA_STATUSCODE_BADTYPEMISMATCH
                                                                 : UA_STATUSCODE_BADNOTWRITABLE;
  const std::string& operand = c->node->operand;
  const User* user = static_cast<const User*>(session);
  qsc_write_target target{};
  char reason[256] = {};
  int32_t result = qsc_write_check(c->state->image, c->state->allow_write, operand.data(), operand.size(),
                                   QSC_ROLE_WRITE, value, &target, reason, sizeof reason);
  if (result == QSC_OK) result = qsc_write_apply(&target, reason, sizeof reason);
  UA_StatusCode status = UA_STATUSCODE_GOOD;
  switch (result) {
    case QSC_OK: break;
    case QSC_NOT_ALLOWED: status = UA_STATUSCODE_BADUSERACCESSDENIED; break;
    case QSC_BAD_INPUT:
    case QSC_OUTSIDE_AREA: status = UA_STATUSCODE_BADOUTOFRANGE; break;
    default: status = UA_STATUSCODE_BADINTERNALERROR; break;
  }
  if (result != QSC_OK && result != QSC_NOT_ALLOWED)
    std::fprintf(stderr, "quorsma: write of %s by %s refused: %s\n", operand.c_str(), user->name.c_str(), reason);
  else if (c->state->verbose)
    std::printf("write %s = %lld by %s: %s\n", operand.c_str(), static_cast<long long>(value), user->name.c_str(),
                UA_StatusCode_name(status));
  std::fflush(stdout);
  return status;
}

// The runner's statistics, from the file it publishes beside the section's
// locks ("key value" lines, decimal), read when a client reads them.
struct RunnerField {
  const char* name;  // the variable
  const char* key;   // the key of the file
};

const RunnerField kRunnerFields[] = {
    {"Scans", "scans"},
    {"PeriodNs", "period_ns"},
    {"ScanMinNs", "scan_min_ns"},
    {"ScanMedianNs", "scan_median_ns"},
    {"ScanMaxNs", "scan_max_ns"},
    {"StartLateP50Ns", "start_p50_ns"},
    {"StartLateP99Ns", "start_p99_ns"},
    {"StartLateMaxNs", "start_max_ns"},
    {"Overruns", "overruns"},
    {"UpdatedUnixMs", "updated_unix_ms"},
};

// A runner that has not rewritten its file for this long has stopped
// without saying so.
constexpr int64_t kRunnerStaleMs = 5000;

// The value of `key` in the published file; 0 when there is none.
int64_t RunnerStat(const std::string& text, const std::string& key) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    at = end + 1;
    if (line.size() <= key.size() + 1 || line.compare(0, key.size(), key) != 0 || line[key.size()] != ' ') continue;
    const std::string number = line.substr(key.size() + 1);
    char* stop = nullptr;
    const long long value = std::strtoll(number.c_str(), &stop, 10);
    if (stop != number.c_str() && *stop == '\0') return value;
  }
  return 0;
}

std::string RunnerFile() {
  char text[4096];
  std::size_t length = 0;
  if (qsc_section_file_read("runner.stats", text, sizeof text, &length, nullptr, 0) != QSC_OK) return "";
  return std::string(text, length);
}

UA_StatusCode ReadRunner(UA_Server*, const UA_NodeId*, void*, const UA_NodeId*, void* context,
                         UA_Boolean source_timestamp, const UA_NumericRange* range, UA_DataValue* value) {
  if (range != nullptr) {
    value->hasStatus = true;
    value->status = UA_STATUSCODE_BADINDEXRANGEINVALID;
    return UA_STATUSCODE_GOOD;
  }
  const std::string file = RunnerFile();
  UA_StatusCode status;
  if (context == nullptr) {
    const int64_t now_ms = (UA_DateTime_now() - UA_DATETIME_UNIX_EPOCH) / UA_DATETIME_MSEC;
    UA_Boolean running =
        RunnerStat(file, "running") != 0 && now_ms - RunnerStat(file, "updated_unix_ms") < kRunnerStaleMs;
    status = UA_Variant_setScalarCopy(&value->value, &running, &UA_TYPES[UA_TYPES_BOOLEAN]);
  } else {
    UA_Int64 number = RunnerStat(file, static_cast<const RunnerField*>(context)->key);
    status = UA_Variant_setScalarCopy(&value->value, &number, &UA_TYPES[UA_TYPES_INT64]);
  }
  if (status != UA_STATUSCODE_GOOD) return status;
  value->hasValue = true;
  if (source_timestamp) {
    value->sourceTimestamp = UA_DateTime_now();
    value->hasSourceTimestamp = true;
  }
  return UA_STATUSCODE_GOOD;
}

UA_StatusCode CheckLogin(const UA_String* name, const UA_ByteString* password, size_t, const UA_UsernamePasswordLogin*,
                         void** session, void*) {
  const User* user = CheckPassword(*g_state->users, Text(*name),
                                   std::string_view(reinterpret_cast<const char*>(password->data), password->length));
  if (user == nullptr) return UA_STATUSCODE_BADUSERACCESSDENIED;
  *session = const_cast<User*>(user);
  return UA_STATUSCODE_GOOD;
}

std::string Mode(const UA_EndpointDescription* endpoint) {
  if (endpoint == nullptr) return "?";
  const std::string policy = Text(endpoint->securityPolicyUri);
  const std::string name = policy.substr(policy.rfind('#') + 1);
  switch (endpoint->securityMode) {
    case UA_MESSAGESECURITYMODE_SIGN: return name + " Sign";
    case UA_MESSAGESECURITYMODE_SIGNANDENCRYPT: return name + " SignAndEncrypt";
    default: return name;
  }
}

// The session context is the user, or null for an anonymous session.
UA_StatusCode ActivateSession(UA_Server* server, UA_AccessControl* ac, const UA_EndpointDescription* endpoint,
                              const UA_ByteString* remote_certificate, const UA_NodeId* session_id,
                              const UA_ExtensionObject* token, void** session) {
  const bool anonymous = token == nullptr || token->encoding == UA_EXTENSIONOBJECT_ENCODED_NOBODY ||
                         (token->encoding >= UA_EXTENSIONOBJECT_DECODED &&
                          token->content.decoded.type == &UA_TYPES[UA_TYPES_ANONYMOUSIDENTITYTOKEN]);
  const bool named = token != nullptr && token->encoding >= UA_EXTENSIONOBJECT_DECODED &&
                     token->content.decoded.type == &UA_TYPES[UA_TYPES_USERNAMEIDENTITYTOKEN];
  if (!anonymous && !named) return UA_STATUSCODE_BADIDENTITYTOKENREJECTED;
  void* user = nullptr;
  const UA_StatusCode status =
      g_state->original.activateSession(server, ac, endpoint, remote_certificate, session_id, token, &user);
  const std::string key = SessionKey(session_id);
  if (status != UA_STATUSCODE_GOOD) {
    std::printf("session refused: %s (%s): %s\n",
                named ? Printable(static_cast<const UA_UserNameIdentityToken*>(token->content.decoded.data)->userName)
                            .c_str()
                      : "anonymous",
                Mode(endpoint).c_str(), UA_StatusCode_name(status));
    std::fflush(stdout);
    return status;
  }
  *session = anonymous ? nullptr : user;
  const std::string who = anonymous ? "anonymous" : static_cast<const User*>(user)->name;
  auto [at, added] = g_state->sessions.insert({key, who});
  if (added || at->second != who) {
    at->second = who;
    std::printf("session opened: %s (%s)\n", who.c_str(), Mode(endpoint).c_str());
    std::fflush(stdout);
  }
  return UA_STATUSCODE_GOOD;
}

void CloseSession(UA_Server* server, UA_AccessControl* ac, const UA_NodeId* session_id, void* session) {
  auto at = g_state->sessions.find(SessionKey(session_id));
  if (at != g_state->sessions.end()) {
    std::printf("session closed: %s\n", at->second.c_str());
    std::fflush(stdout);
    g_state->sessions.erase(at);
  }
  g_state->original.closeSession(server, ac, session_id, session);
}

UA_Byte UserAccessLevel(UA_Server* server, UA_AccessControl* ac, const UA_NodeId* session_id, void* session,
                        const UA_NodeId* node_id, void* node_context) {
  UA_Byte level = g_state->original.getUserAccessLevel(server, ac, session_id, session, node_id, node_context);
  if (session == nullptr) level &= static_cast<UA_Byte>(~UA_ACCESSLEVELMASK_WRITE);
  return level;
}

// The address space is the server's alone: no client adds or deletes nodes
// or references.
UA_Boolean NoAddNode(UA_Server*, UA_AccessControl*, const UA_NodeId*, void*, const UA_AddNodesItem*) {
  return false;
}
UA_Boolean NoAddReference(UA_Server*, UA_AccessControl*, const UA_NodeId*, void*, const UA_AddReferencesItem*) {
  return false;
}
UA_Boolean NoDeleteNode(UA_Server*, UA_AccessControl*, const UA_NodeId*, void*, const UA_DeleteNodesItem*) {
  return false;
}
UA_Boolean NoDeleteReference(UA_Server*, UA_AccessControl*, const UA_NodeId*, void*,
                             const UA_DeleteReferencesItem*) {
  return false;
}

class AddressSpace {
 public:
  AddressSpace(UA_Server* server, State* state) : server_(server), state_(state) {
    ns_ = UA_Server_addNamespace(server, kNamespaceUri);
  }

  UA_StatusCode AddFolder(const std::string& id, const std::string& name, const UA_NodeId& parent, UA_NodeId* out) {
    UA_ObjectAttributes attr = UA_ObjectAttributes_default;
    attr.displayName = UA_LOCALIZEDTEXT(const_cast<char*>(""), const_cast<char*>(name.c_str()));
    return UA_Server_addObjectNode(server_, UA_NODEID_STRING(ns_, const_cast<char*>(id.c_str())), parent,
                                   UA_NODEID_NUMERIC(0, UA_NS0ID_ORGANIZES),
                                   UA_QUALIFIEDNAME(ns_, const_cast<char*>(name.c_str())),
                                   UA_NODEID_NUMERIC(0, UA_NS0ID_FOLDERTYPE), attr, nullptr, out);
  }

  // Runner/Running (Boolean) and Runner/<statistic> (Int64), read only.
  UA_StatusCode AddRunner(const std::string& prefix, const UA_NodeId& parent) {
    UA_NodeId runner;
    UA_StatusCode status = AddFolder(prefix + "/Runner", "Runner", parent, &runner);
    status = status != UA_STATUSCODE_GOOD ? status : AddStatistic(prefix, runner, "Running", nullptr);
    for (const RunnerField& field : kRunnerFields)
      if (status == UA_STATUSCODE_GOOD) status = AddStatistic(prefix, runner, field.name, &field);
    UA_NodeId_clear(&runner);
    return status;
  }

  UA_StatusCode AddDevice(const DeviceNode& node, const UA_NodeId& folder) {
    if (node.shape != NodeShape::kTimer)
      return AddVariable(node, node.operand, node.operand, folder, UA_NODEID_NUMERIC(0, UA_NS0ID_ORGANIZES),
                         node.shape == NodeShape::kBit ? Field::kBit : Field::kRegister, node.comment);
    UA_ObjectAttributes attr = UA_ObjectAttributes_default;
    attr.displayName = UA_LOCALIZEDTEXT(const_cast<char*>(""), const_cast<char*>(node.operand.c_str()));
    attr.description = UA_LOCALIZEDTEXT(const_cast<char*>(""), const_cast<char*>(node.comment.c_str()));
    UA_NodeId timer;
    UA_StatusCode status = UA_Server_addObjectNode(
        server_, UA_NODEID_STRING(ns_, const_cast<char*>(node.operand.c_str())), folder,
        UA_NODEID_NUMERIC(0, UA_NS0ID_ORGANIZES), UA_QUALIFIEDNAME(ns_, const_cast<char*>(node.operand.c_str())),
        UA_NODEID_NUMERIC(0, UA_NS0ID_BASEOBJECTTYPE), attr, nullptr, &timer);
    const std::pair<const char*, Field> parts[] = {
        {"Contact", Field::kTimerContact}, {"Current", Field::kTimerCurrent}, {"Set", Field::kTimerSet}};
    for (const auto& [name, field] : parts)
      if (status == UA_STATUSCODE_GOOD)
        status = AddVariable(node, node.operand + "." + name, name, timer,
                             UA_NODEID_NUMERIC(0, UA_NS0ID_HASCOMPONENT), field, "");
    UA_NodeId_clear(&timer);
    return status;
  }

 private:
  UA_StatusCode AddStatistic(const std::string& prefix, const UA_NodeId& parent, const char* name,
                             const RunnerField* field) {
    const std::string id = prefix + "/Runner/" + name;
    UA_VariableAttributes attr = UA_VariableAttributes_default;
    attr.displayName = UA_LOCALIZEDTEXT(const_cast<char*>(""), const_cast<char*>(name));
    attr.dataType = UA_TYPES[field == nullptr ? UA_TYPES_BOOLEAN : UA_TYPES_INT64].typeId;
    attr.valueRank = UA_VALUERANK_SCALAR;
    attr.accessLevel = UA_ACCESSLEVELMASK_READ;
    attr.userAccessLevel = UA_ACCESSLEVELMASK_READ;
    UA_DataSource source;
    source.read = ReadRunner;
    source.write = nullptr;
    return UA_Server_addDataSourceVariableNode(
        server_, UA_NODEID_STRING(ns_, const_cast<char*>(id.c_str())), parent,
        UA_NODEID_NUMERIC(0, UA_NS0ID_HASCOMPONENT), UA_QUALIFIEDNAME(ns_, const_cast<char*>(name)),
        UA_NODEID_NUMERIC(0, UA_NS0ID_BASEDATAVARIABLETYPE), attr, source, const_cast<RunnerField*>(field), nullptr);
  }

  UA_StatusCode AddVariable(const DeviceNode& node, const std::string& id, const std::string& name,
                            const UA_NodeId& parent, const UA_NodeId& reference, Field field,
                            const std::string& description) {
    contexts_.push_back(std::make_unique<NodeContext>(NodeContext{state_, &node, field}));
    const bool boolean = field == Field::kBit || field == Field::kTimerContact;
    const bool writable = node.writable && (field == Field::kBit || field == Field::kRegister);
    UA_VariableAttributes attr = UA_VariableAttributes_default;
    attr.displayName = UA_LOCALIZEDTEXT(const_cast<char*>(""), const_cast<char*>(name.c_str()));
    attr.description = UA_LOCALIZEDTEXT(const_cast<char*>(""), const_cast<char*>(description.c_str()));
    attr.dataType = UA_TYPES[boolean ? UA_TYPES_BOOLEAN : UA_TYPES_INT32].typeId;
    attr.valueRank = UA_VALUERANK_SCALAR;
    attr.accessLevel = static_cast<UA_Byte>(UA_ACCESSLEVELMASK_READ | (writable ? UA_ACCESSLEVELMASK_WRITE : 0));
    attr.userAccessLevel = attr.accessLevel;
    UA_DataSource source;
    source.read = ReadDevice;
    source.write = writable ? WriteDevice : nullptr;
    return UA_Server_addDataSourceVariableNode(
        server_, UA_NODEID_STRING(ns_, const_cast<char*>(id.c_str())), parent, reference,
        UA_QUALIFIEDNAME(ns_, const_cast<char*>(name.c_str())), UA_NODEID_NUMERIC(0, UA_NS0ID_BASEDATAVARIABLETYPE),
        attr, source, contexts_.back().get(), nullptr);
  }

  UA_Server* server_;
  State* state_;
  UA_UInt16 ns_ = 1;
  std::vector<std::unique_ptr<NodeContext>> contexts_;

 public:
  // The contexts live as long as the server.
  std::vector<std::unique_ptr<NodeContext>>& contexts() { return contexts_; }
};

UA_StatusCode BuildAddressSpace(UA_Server* server, AddressSpace* space, const std::string& section,
                                const std::vector<DeviceNode>& nodes) {
  UA_NodeId root, folder;
  UA_StatusCode status =
      space->AddFolder("QuorSMA", "QuorSMA", UA_NODEID_NUMERIC(0, UA_NS0ID_OBJECTSFOLDER), &root);
  if (status == UA_STATUSCODE_GOOD) status = space->AddFolder("QuorSMA/" + section, section, root, &folder);
  if (status == UA_STATUSCODE_GOOD) status = space->AddRunner("QuorSMA/" + section, folder);
  std::map<std::string, UA_NodeId> kinds;
  for (const DeviceNode& node : nodes) {
    if (status != UA_STATUSCODE_GOOD) break;
    auto at = kinds.find(node.kind);
    if (at == kinds.end()) {
      UA_NodeId kind;
      status = space->AddFolder("QuorSMA/" + section + "/" + node.kind, node.kind, folder, &kind);
      if (status != UA_STATUSCODE_GOOD) break;
      at = kinds.emplace(node.kind, kind).first;
    }
    status = space->AddDevice(node, at->second);
  }
  for (auto& [name, id] : kinds) UA_NodeId_clear(&id);
  UA_NodeId_clear(&root);
  UA_NodeId_clear(&folder);
  (void)server;
  return status;
}

UA_ByteString Bytes(const std::string& s) {
  UA_ByteString b;
  b.length = s.size();
  b.data = reinterpret_cast<UA_Byte*>(const_cast<char*>(s.data()));
  return b;
}

UA_StatusCode Configure(const ServerOptions& options, const CertificatePair& certificate,
                        const std::vector<UA_UsernamePasswordLogin>& logins, UA_ServerConfig* config) {
  config->logging = &g_logger;
  UA_StatusCode status = UA_ServerConfig_setBasics_withPort(config, options.listen.port);
  if (status != UA_STATUSCODE_GOOD) return status;
  // Only the address given, never every interface.
  UA_Array_delete(config->serverUrls, config->serverUrlsSize, &UA_TYPES[UA_TYPES_STRING]);
  const std::string url = "opc.tcp://" + options.listen.host + ":" + std::to_string(options.listen.port);
  config->serverUrls = UA_String_new();
  *config->serverUrls = UA_STRING_ALLOC(url.c_str());
  config->serverUrlsSize = 1;

  const UA_ByteString cert = Bytes(certificate.certificate);
  const UA_ByteString key = Bytes(certificate.private_key);
  // None stays for finding the endpoints; sessions over it only where allowed.
  const bool none = options.listen.loopback || options.allow_insecure;
  status = UA_ServerConfig_addSecurityPolicyNone(config, &cert);
  if (status == UA_STATUSCODE_GOOD) status = UA_ServerConfig_addSecurityPolicyBasic256Sha256(config, &cert, &key);
  if (status != UA_STATUSCODE_GOOD) return status;
  if (none) status = UA_ServerConfig_addEndpoint(config, UA_STRING(const_cast<char*>(kPolicyNone)),
                                                 UA_MESSAGESECURITYMODE_NONE);
  if (status == UA_STATUSCODE_GOOD)
    status = UA_ServerConfig_addEndpoint(config, UA_STRING(const_cast<char*>(kPolicyBasic256Sha256)),
                                         UA_MESSAGESECURITYMODE_SIGN);
  if (status == UA_STATUSCODE_GOOD)
    status = UA_ServerConfig_addEndpoint(config, UA_STRING(const_cast<char*>(kPolicyBasic256Sha256)),
                                         UA_MESSAGESECURITYMODE_SIGNANDENCRYPT);
  if (status != UA_STATUSCODE_GOOD) return status;
  config->securityPolicyNoneDiscoveryOnly = !none;
  config->allowNonePolicyPassword = false;

  // Users log in by name and password only, never by a certificate: the
  // access control offers a certificate token only when it sees a session
  // certificate check, so it is hidden from it meanwhile.
  const UA_CertificateVerification session_pki = config->sessionPKI;
  std::memset(&config->sessionPKI, 0, sizeof config->sessionPKI);
  // Passwords travel encrypted for the server's key whatever the channel.
  const UA_ByteString password_policy = UA_STRING(const_cast<char*>(kPolicyBasic256Sha256));
  status = UA_AccessControl_defaultWithLoginCallback(config, true, &password_policy, logins.size(), logins.data(),
                                                     CheckLogin, nullptr);
  config->sessionPKI = session_pki;
  if (status != UA_STATUSCODE_GOOD) return status;

  UA_String_clear(&config->applicationDescription.applicationUri);
  config->applicationDescription.applicationUri = UA_STRING_ALLOC(kApplicationUri);
  UA_LocalizedText_clear(&config->applicationDescription.applicationName);
  const std::string name = "QuorSMA " + options.section;
  config->applicationDescription.applicationName = UA_LOCALIZEDTEXT_ALLOC("", name.c_str());
  UA_String_clear(&config->buildInfo.productName);
  config->buildInfo.productName = UA_STRING_ALLOC("QuorSMA");
  UA_String_clear(&config->buildInfo.manufacturerName);
  config->buildInfo.manufacturerName = UA_STRING_ALLOC("QuorSMA");
  UA_String_clear(&config->buildInfo.productUri);
  config->buildInfo.productUri = UA_STRING_ALLOC(kApplicationUri);
  for (size_t i = 0; i < config->endpointsSize; ++i) {
    UA_ApplicationDescription& server = config->endpoints[i].server;
    UA_ApplicationDescription_clear(&server);
    UA_ApplicationDescription_copy(&config->applicationDescription, &server);
  }

  config->maxSessions = options.max_sessions;
  config->maxSecureChannels = static_cast<UA_UInt16>(options.max_sessions + kMaxSecureChannelsOverSessions);
  config->maxSessionTimeout = options.session_timeout_ms;
  config->tcpMaxMsgSize = options.max_message_bytes;
  config->tcpMaxChunks = options.max_message_bytes / 8192 + 1;
  config->maxNodesPerRead = options.max_nodes_per_request;
  config->maxNodesPerWrite = options.max_nodes_per_request;
  config->maxNodesPerBrowse = options.max_nodes_per_request;
  config->maxNodesPerRegisterNodes = options.max_nodes_per_request;
  config->maxNodesPerTranslateBrowsePathsToNodeIds = options.max_nodes_per_request;
  config->maxMonitoredItemsPerCall = options.max_nodes_per_request;
  config->maxSubscriptions = options.max_subscriptions;
  config->maxSubscriptionsPerSession = 8;
  config->maxMonitoredItems = options.max_monitored_items;
  config->maxMonitoredItemsPerSubscription = options.max_monitored_items;
  config->samplingIntervalLimits.min = options.min_sampling_ms;
  config->publishingIntervalLimits.min = options.min_sampling_ms;
  config->maxPublishReqPerSession = 10;
  config->maxRetransmissionQueueSize = 100;
  return UA_STATUSCODE_GOOD;
}

// The stack listens with SO_REUSEPORT, so that a second server on the same
// port would share its connections instead of failing.  A listener already
// there is found first by a bind of our own, without it.
bool PortFree(const ListenUrl& listen, std::string* error) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    *error = std::strerror(errno);
    return false;
  }
  const int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(listen.port);
  inet_pton(AF_INET, listen.host == "localhost" ? "127.0.0.1" : listen.host.c_str(), &address.sin_addr);
  const bool free = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  if (!free) *error = std::strerror(errno);
  close(fd);
  return free;
}

}  // namespace

int RunServer(const ServerOptions& options, MH_SHARED_STRUCTURE* image, const std::vector<DeviceNode>& nodes,
              const std::vector<User>& users, const qsc_permission* allow_write, const CertificatePair& certificate) {
  const std::string url = "opc.tcp://" + options.listen.host + ":" + std::to_string(options.listen.port);
  std::string reason;
  if (!PortFree(options.listen, &reason)) {
    std::fprintf(stderr, "quorsma: error: cannot serve %s: %s\n", url.c_str(), reason.c_str());
    return 1;
  }
  State state{image, allow_write, &users, options.verbose, {}, {}};
  g_state = &state;
  // Names only: CheckLogin compares the passwords with their hashes.
  std::vector<UA_UsernamePasswordLogin> logins;
  for (const User& user : users)
    logins.push_back({UA_STRING(const_cast<char*>(user.name.c_str())), UA_STRING_NULL});

  UA_ServerConfig config;
  std::memset(&config, 0, sizeof config);
  UA_StatusCode status = Configure(options, certificate, logins, &config);
  if (status != UA_STATUSCODE_GOOD) {
    std::fprintf(stderr, "quorsma: error: cannot configure the OPC UA server: %s\n", UA_StatusCode_name(status));
    UA_ServerConfig_clean(&config);
    g_state = nullptr;
    return 1;
  }
  state.original = config.accessControl;
  config.accessControl.activateSession = ActivateSession;
  config.accessControl.closeSession = CloseSession;
  config.accessControl.getUserAccessLevel = UserAccessLevel;
  config.accessControl.allowAddNode = NoAddNode;
  config.accessControl.allowAddReference = NoAddReference;
  config.accessControl.allowDeleteNode = NoDeleteNode;
  config.accessControl.allowDeleteReference = NoDeleteReference;
  UA_Server* server = UA_Server_newWithConfig(&config);
  if (server == nullptr) {
    std::fprintf(stderr, "quorsma: error: cannot make the OPC UA server\n");
    g_state = nullptr;
    return 1;
  }
  AddressSpace space(server, &state);
  status = BuildAddressSpace(server, &space, options.section, nodes);
  if (status == UA_STATUSCODE_GOOD) status = UA_Server_run_startup(server);
  int code = 0;
  if (status != UA_STATUSCODE_GOOD) {
    std::fprintf(stderr, "quorsma: error: cannot serve %s: %s\n", url.c_str(), UA_StatusCode_name(status));
    code = 1;
  } else {
    if (options.on_listening) options.on_listening(url);
    // Each pass waits at most until the stack's next timed work (well under
    // a second), so the watchdog hears from it while idle too.
    while (!options.stop_requested()) {
      UA_Server_run_iterate(server, true);
      qsc_service_alive();
    }
    UA_Server_run_shutdown(server);
  }
  UA_Server_delete(server);
  g_state = nullptr;
  return code;
}

}  // namespace quorsma::tool::opcua
