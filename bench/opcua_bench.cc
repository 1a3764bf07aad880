// OPC UA: quorsma opcua beside a bare open62541 server over plain variables,
// each a process of its own, measured by one open62541 client over loopback
// (SecurityPolicy None) in the same run.
//
//   ./build/linux/bench/tool/opcua_bench [--seconds S] [--repetitions N]
//
// reads:   Read requests of 1,000 Int32 nodes (D0..D999) back to back for S
//          seconds, without and with source timestamps; requests per second
//          and the server's CPU time per request, medians of N runs.
// monitor: 10,000 monitored items (D0..D9999) sampled every 100 ms in one
//          subscription published every 100 ms; every 50 ms 1,000 of the
//          values change to the wall-clock millisecond of the change, so each
//          notification carries the time it was caused.  Figures: the
//          server's CPU time over S seconds (per cent of one core) and the
//          latency from change to notification (p50, p99).
// quorsma opcua's values change in the image (this process maps the same
// section); the bare server changes its own variables from a timer.  This is
// a program, not a test: it is built with the project and run by hand.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "bench_support.h"
#include "open62541.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kNodes = 10000;
constexpr int kReadNodes = 1000;
constexpr int kChangedPerTick = 1000;
constexpr int kTickMs = 50;
constexpr double kSamplingMs = 100;

int32_t NowMs() {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  return static_cast<int32_t>(ms.count() & 0x3FFFFFFF);
}

int FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

// --serve-bare PORT: D0..D9999 as plain Int32 variables in the namespace of
// quorsma opcua (so that both answer the same node ids), 1,000 of them
// changed every 50 ms.
std::atomic<bool> g_stop{false};

void Change(UA_Server* server, void*) {
  static int next = 0;
  const int32_t now = NowMs();
  UA_Variant value;
  for (int i = 0; i < kChangedPerTick; ++i, next = (next + 1) % kNodes) {
    const std::string id = "D" + std::to_string(next);
    UA_Variant_setScalar(&value, const_cast<int32_t*>(&now), &UA_TYPES[UA_TYPES_INT32]);
    UA_Server_writeValue(server, UA_NODEID_STRING(2, const_cast<char*>(id.c_str())), value);
  }
}

[[noreturn]] void ServeBare(int port) {
  signal(SIGTERM, [](int) { g_stop = true; });
  static UA_Logger silent = {[](void*, UA_LogLevel, UA_LogCategory, const char*, va_list) {}, nullptr, nullptr};
  UA_ServerConfig server_config;
  std::memset(&server_config, 0, sizeof server_config);
  server_config.logging = &silent;
  UA_ServerConfig* config = &server_config;
  UA_ServerConfig_setMinimalCustomBuffer(config, static_cast<UA_UInt16>(port), nullptr, 0, 0);
  config->maxMonitoredItems = 20000;
  config->maxMonitoredItemsPerSubscription = 20000;
  UA_Array_delete(config->serverUrls, config->serverUrlsSize, &UA_TYPES[UA_TYPES_STRING]);
  const std::string url = "opc.tcp://127.0.0.1:" + std::to_string(port);
  config->serverUrls = UA_String_new();
  *config->serverUrls = UA_STRING_ALLOC(url.c_str());
  config->serverUrlsSize = 1;
  UA_Server* server = UA_Server_newWithConfig(config);
  const UA_UInt16 ns = UA_Server_addNamespace(server, "urn:quorsma:devices");
  for (int i = 0; i < kNodes; ++i) {
    const std::string id = "D" + std::to_string(i);
    UA_VariableAttributes attr = UA_VariableAttributes_default;
    int32_t zero = 0;
    UA_Variant_setScalar(&attr.value, &zero, &UA_TYPES[UA_TYPES_INT32]);
    attr.dataType = UA_TYPES[UA_TYPES_INT32].typeId;
    UA_Server_addVariableNode(server, UA_NODEID_STRING(ns, const_cast<char*>(id.c_str())),
                              UA_NODEID_NUMERIC(0, UA_NS0ID_OBJECTSFOLDER), UA_NODEID_NUMERIC(0, UA_NS0ID_ORGANIZES),
                              UA_QUALIFIEDNAME(ns, const_cast<char*>(id.c_str())),
                              UA_NODEID_NUMERIC(0, UA_NS0ID_BASEDATAVARIABLETYPE), attr, nullptr, nullptr);
  }
  UA_Server_addRepeatedCallback(server, Change, nullptr, kTickMs, nullptr);
  UA_Server_run_startup(server);
  std::printf("listening on 127.0.0.1:%d\n", port);
  std::fflush(stdout);
  while (!g_stop) UA_Server_run_iterate(server, true);
  UA_Server_run_shutdown(server);
  UA_Server_delete(server);
  std::exit(0);
}

UA_Client* Connect(int port) {
  UA_Client* client = UA_Client_new();
  UA_ClientConfig* config = UA_Client_getConfig(client);
  UA_ClientConfig_setDefault(config);
  config->logging->log = [](void*, UA_LogLevel, UA_LogCategory, const char*, va_list) {};
  config->timeout = 10000;
  const std::string url = "opc.tcp://127.0.0.1:" + std::to_string(port);
  if (UA_Client_connect(client, url.c_str()) != UA_STATUSCODE_GOOD) {
    UA_Client_delete(client);
    return nullptr;
  }
  return client;
}

double CpuSeconds(pid_t pid);

struct ReadFigures {
  double per_second = 0;
  double server_cpu_us = 0;  // the server's CPU time per request
};

ReadFigures Reads(int port, pid_t server, double seconds, UA_TimestampsToReturn timestamps) {
  ReadFigures figures;
  UA_Client* client = Connect(port);
  if (client == nullptr) return figures;
  std::vector<std::string> ids;
  for (int i = 0; i < kReadNodes; ++i) ids.push_back("D" + std::to_string(i));
  std::vector<UA_ReadValueId> items(kReadNodes);
  for (int i = 0; i < kReadNodes; ++i) {
    UA_ReadValueId_init(&items[i]);
    items[i].nodeId = UA_NODEID_STRING(2, const_cast<char*>(ids[i].c_str()));
    items[i].attributeId = UA_ATTRIBUTEID_VALUE;
  }
  UA_ReadRequest request;
  UA_ReadRequest_init(&request);
  request.nodesToRead = items.data();
  request.nodesToReadSize = items.size();
  request.timestampsToReturn = timestamps;
  int64_t done = 0;
  const double cpu_before = CpuSeconds(server);
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  const auto start = Clock::now();
  while (Clock::now() < end) {
    UA_ReadResponse response = UA_Client_Service_read(client, request);
    const bool ok = response.responseHeader.serviceResult == UA_STATUSCODE_GOOD &&
                    response.resultsSize == static_cast<size_t>(kReadNodes) &&
                    response.results[kReadNodes - 1].hasValue;
    UA_ReadResponse_clear(&response);
    if (!ok) {
      std::fprintf(stderr, "opcua_bench: a read failed\n");
      break;
    }
    ++done;
  }
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpu = CpuSeconds(server) - cpu_before;
  UA_Client_disconnect(client);
  UA_Client_delete(client);
  figures.per_second = static_cast<double>(done) / elapsed;
  if (done > 0) figures.server_cpu_us = 1e6 * cpu / static_cast<double>(done);
  return figures;
}

double CpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t close = text.rfind(')');
  if (close == std::string::npos) return 0;
  std::vector<std::string> fields;
  std::string field;
  for (char c : text.substr(close + 2)) {
    if (c == ' ') {
      fields.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  // utime and stime: fields 14 and 15 of the line, 12 and 13 after the name.
  if (fields.size() < 13) return 0;
  return (std::atof(fields[11].c_str()) + std::atof(fields[12].c_str())) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct MonitorFigures {
  double cpu_percent = 0, p50_ms = 0, p99_ms = 0;
  std::size_t notifications = 0;
};

std::vector<double> g_latencies;
bool g_measuring = false;

void OnChange(UA_Client*, UA_UInt32, void*, UA_UInt32, void*, UA_DataValue* value) {
  if (!g_measuring || !value->hasValue || value->value.type != &UA_TYPES[UA_TYPES_INT32]) return;
  const int32_t sent = *static_cast<int32_t*>(value->value.data);
  if (sent == 0) return;
  g_latencies.push_back(static_cast<double>((NowMs() - sent) & 0x3FFFFFFF));
}

MonitorFigures Monitor(int port, pid_t server, double seconds, MH_SHARED_STRUCTURE* image) {
  MonitorFigures figures;
  UA_Client* client = Connect(port);
  if (client == nullptr) return figures;
  UA_CreateSubscriptionRequest sub = UA_CreateSubscriptionRequest_default();
  sub.requestedPublishingInterval = kSamplingMs;
  sub.maxNotificationsPerPublish = 0;
  UA_CreateSubscriptionResponse created = UA_Client_Subscriptions_create(client, sub, nullptr, nullptr, nullptr);
  const UA_UInt32 subscription = created.subscriptionId;
  UA_CreateSubscriptionResponse_clear(&created);
  std::vector<std::string> ids;
  for (int i = 0; i < kNodes; ++i) ids.push_back("D" + std::to_string(i));
  constexpr int kBatch = 1000;
  std::size_t monitored = 0;
  for (int first = 0; first < kNodes; first += kBatch) {
    std::vector<UA_MonitoredItemCreateRequest> items(kBatch);
    std::vector<UA_Client_DataChangeNotificationCallback> callbacks(kBatch, OnChange);
    std::vector<void*> contexts(kBatch, nullptr);
    for (int i = 0; i < kBatch; ++i) {
      items[i] = UA_MonitoredItemCreateRequest_default(UA_NODEID_STRING(2, const_cast<char*>(ids[first + i].c_str())));
      items[i].requestedParameters.samplingInterval = kSamplingMs;
      items[i].requestedParameters.queueSize = 1;
    }
    UA_CreateMonitoredItemsRequest request;
    UA_CreateMonitoredItemsRequest_init(&request);
    request.subscriptionId = subscription;
    request.timestampsToReturn = UA_TIMESTAMPSTORETURN_SOURCE;
    request.itemsToCreate = items.data();
    request.itemsToCreateSize = items.size();
    UA_CreateMonitoredItemsResponse response = UA_Client_MonitoredItems_createDataChanges(
        client, request, contexts.data(), callbacks.data(), nullptr);
    for (size_t i = 0; i < response.resultsSize; ++i)
      if (response.results[i].statusCode == UA_STATUSCODE_GOOD) ++monitored;
    UA_CreateMonitoredItemsResponse_clear(&response);
  }
  if (monitored != static_cast<std::size_t>(kNodes))
    std::fprintf(stderr, "opcua_bench: %zu of %d items monitored\n", monitored, kNodes);
  // Settle: the first notifications carry every item's initial value.
  for (auto until = Clock::now() + std::chrono::seconds(2); Clock::now() < until;)
    UA_Client_run_iterate(client, 20);
  std::atomic<bool> changing{image != nullptr};
  std::thread changer([&] {
    int next = 0;
    while (changing) {
      const int32_t now = NowMs();
      for (int i = 0; i < kChangedPerTick; ++i, next = (next + 1) % kNodes)
        __atomic_store_n(&image->D[next], now, __ATOMIC_RELAXED);
      std::this_thread::sleep_for(std::chrono::milliseconds(kTickMs));
    }
  });
  g_latencies.clear();
  g_measuring = true;
  const double cpu_before = CpuSeconds(server);
  const auto start = Clock::now();
  const auto end = start + std::chrono::duration<double>(seconds);
  while (Clock::now() < end) UA_Client_run_iterate(client, 20);
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  figures.cpu_percent = 100 * (CpuSeconds(server) - cpu_before) / elapsed;
  g_measuring = false;
  changing = false;
  changer.join();
  std::sort(g_latencies.begin(), g_latencies.end());
  figures.notifications = g_latencies.size();
  if (!g_latencies.empty()) {
    figures.p50_ms = g_latencies[g_latencies.size() / 2];
    figures.p99_ms = g_latencies[g_latencies.size() * 99 / 100];
  }
  UA_Client_disconnect(client);
  UA_Client_delete(client);
  return figures;
}

void Stop(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 3;
  int repetitions = 3;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--serve-bare" && i + 1 < argc) ServeBare(std::atoi(argv[i + 1]));
    if (arg == "--seconds" && i + 1 < argc) seconds = std::atof(argv[++i]);
    else if (arg == "--repetitions" && i + 1 < argc) repetitions = std::atoi(argv[++i]);
  }
  quorsma::bench::RestartOnOwnSection(argv, "quorsma_opcua_bench_");
  MH_SHARED_STRUCTURE* image = nullptr;
  smGetMemoryPointer(&image);
  char self[4096] = {};
  if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 1;
  char data_dir[] = "/tmp/quorsma_opcua_bench_XXXXXX";
  if (mkdtemp(data_dir) == nullptr) return 1;
  const int bare_port = FreePort();
  const int our_port = FreePort();
  const auto bare = quorsma::bench::StartServerChild({self, "--serve-bare", std::to_string(bare_port)});
  const auto ours = quorsma::bench::StartServerChild(
      {QSMA_BENCH_TOOL, "opcua", "--listen", "opc.tcp://127.0.0.1:" + std::to_string(our_port), "--nodes",
       "D0..D9999", "--data-dir", data_dir});
  if (bare.port == 0 || ours.port == 0) {
    std::fprintf(stderr, "opcua_bench: a server did not start\n");
    Stop(bare.pid);
    Stop(ours.pid);
    return 1;
  }
  std::printf("Read of %d nodes in one request, back to back; medians of %d runs of %.1f s\n", kReadNodes,
              repetitions, seconds);
  // Without timestamps both servers do the same work; with source
  // timestamps quorsma opcua stamps every value, as the bare server's plain
  // variables (never written) do not.
  const std::pair<UA_TimestampsToReturn, const char*> modes[] = {{UA_TIMESTAMPSTORETURN_NEITHER, "no timestamps"},
                                                                 {UA_TIMESTAMPSTORETURN_SOURCE, "source timestamps"}};
  // Under the load of other processes the rate follows the scheduler more
  // than the server; its CPU time per request does not.
  std::printf("  %-18s %10s %14s  %s\n", "server", "reads/s", "server CPU us", "timestamps");
  for (const auto& [mode, name] : modes) {
    std::vector<double> rate[2], cpu[2];
    for (int r = 0; r < repetitions; ++r)
      for (int s = 0; s < 2; ++s) {
        const ReadFigures f = Reads(s == 0 ? bare.port : ours.port, s == 0 ? bare.pid : ours.pid, seconds, mode);
        rate[s].push_back(f.per_second);
        cpu[s].push_back(f.server_cpu_us);
      }
    for (int s = 0; s < 2; ++s) {
      std::printf("  %-18s %10.0f %14.0f  %s", s == 0 ? "bare open62541" : "quorsma opcua",
                  quorsma::bench::Median(rate[s]), quorsma::bench::Median(cpu[s]), name);
      if (s == 1)
        std::printf("   (%.2fx bare reads/s, %.2fx bare CPU per read)",
                    quorsma::bench::Median(rate[1]) / quorsma::bench::Median(rate[0]),
                    quorsma::bench::Median(cpu[1]) / quorsma::bench::Median(cpu[0]));
      std::printf("\n");
    }
  }

  std::printf("%d monitored items sampled every %.0f ms, %d changes every %d ms, over %.1f s\n", kNodes, kSamplingMs,
              kChangedPerTick, kTickMs, seconds);
  std::printf("  %-18s %8s %10s %8s %8s\n", "server", "CPU %", "notified", "p50 ms", "p99 ms");
  for (int s = 0; s < 2; ++s) {
    const MonitorFigures f =
        Monitor(s == 0 ? bare.port : ours.port, s == 0 ? bare.pid : ours.pid, seconds, s == 0 ? nullptr : image);
    std::printf("  %-18s %8.1f %10zu %8.0f %8.0f\n", s == 0 ? "bare open62541" : "quorsma opcua", f.cpu_percent,
                f.notifications, f.p50_ms, f.p99_ms);
  }
  Stop(bare.pid);
  Stop(ours.pid);
  std::string remove = std::string("rm -rf ") + data_dir;
  return std::system(remove.c_str()) == 0 ? 0 : 1;
}
