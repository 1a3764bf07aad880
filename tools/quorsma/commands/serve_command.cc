// quorsma serve: holds the section and serves the page and the API until
// SIGINT or SIGTERM.
#include "cli/commands.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "http/api_server.h"
#include "cli/client_names.h"
#include "cli/host.h"
#include "cli/library_messages.h"
#include "http/server_limits.h"
#include "http/listen_address.h"
#include "http/log_feed.h"
#include "cli/terminal.h"
#include "cli/text_encoding.h"
#include "http/token.h"

namespace quorsma::tool {
namespace {

struct ServeArgs {
  std::string listen = "127.0.0.1:8080";
  std::string allow_write;
  std::string token_file;
  int64_t interval_ms = 200;
  bool collect = false;
  bool enable = false;
  bool no_confirm = false;
};

// Takes value-change lines into the feed until `stop`, sleeping until the
// library hands one over (or a short while passes, to look at `stop`).
void Collect(MH_SHARED_STRUCTURE* image, http::LogFeed* feed, const std::atomic<bool>* stop) {
  Collector collector(image);
  LineWaiter waiter(image);
  std::string line;
  while (!stop->load()) {
    if (!collector.Take(&line)) {
      waiter.Wait(std::chrono::milliseconds(50));
      continue;
    }
    std::string stamped = TimestampLine(std::chrono::system_clock::now(), "");
    while (!stamped.empty() && stamped.back() == ' ') stamped.pop_back();
    feed->Add(std::move(stamped), Cp949ToUtf8(line));
  }
}

int Serve(const ServeArgs& args) {
  http::ListenAddress address;
  std::string error;
  if (!http::ParseListenAddress(args.listen, &address, &error)) return BadInput("--listen " + error);
  http::ServerConfig config;
  config.section = SectionName();
  config.configuration = ConfigurationFile();
  config.interval = std::chrono::milliseconds(args.interval_ms);
  config.collect = args.collect;
  config.check_host = http::IsLoopbackHost(address.host);
  config.confirm_bits = !args.no_confirm;
  config.writes_allowed = !args.allow_write.empty();
  config.allowed_text = args.allow_write;
  if (config.writes_allowed && !Permission::Parse(args.allow_write, &config.allowed, &error))
    return BadInput("--allow-write " + error);
  bool token_made = false;
  if (!args.token_file.empty()) {
    if (!http::ReadTokenFile(args.token_file, &config.token, &error)) return BadInput(error);
  } else if (config.writes_allowed) {
    config.token = http::MakeToken();
    if (config.token.empty()) return Fail("cannot read /dev/urandom to make a token");
    token_made = true;
  }

  // One collector per section: the mailbox hands each line to one taker.
  SectionLock collector_lock;
  if (config.collect && !collector_lock.Acquire("collector", &error)) return Fail(error);
  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
  CaptureLibraryMessages();

  http::LogFeed feed(http::kLogLinesKept);
  http::ApiServer server(image, config, &feed);
  const int port = server.Bind(address, &error);
  if (port < 0) return Fail(error);

  const std::string host = address.host.find(':') != std::string::npos ? "[" + address.host + "]" : address.host;
  const std::string url = "http://" + host + ":" + std::to_string(port) + "/";
  // Signals that come once the address is printed stop the server cleanly.
  InstallStopHandler();
  std::printf("quorsma: serving section %s at %s\n", config.section.c_str(), url.c_str());
  ServiceNotify("READY=1\nSTATUS=serving section " + config.section + " at " + url);
  if (!config.writes_allowed) {
    std::printf("quorsma: writes are off (--allow-write RANGES allows them)\n");
  } else if (token_made) {
    // Shown this once; the page takes it from the link's fragment, which the
    // browser never sends to the server.
    std::printf("quorsma: writes to %s need the token %s\n", args.allow_write.c_str(), config.token.c_str());
    std::printf("quorsma: page with writing on: %s#token=%s\n", url.c_str(), config.token.c_str());
  } else {
    std::printf("quorsma: writes to %s need the token of %s\n", args.allow_write.c_str(), args.token_file.c_str());
  }
  if (!config.check_host)
    std::printf("quorsma: warning: listening beyond loopback; anyone who reaches this address can read devices\n");
  std::printf("quorsma: Ctrl-C ends\n");
  std::fflush(stdout);

  std::atomic<bool> stop{false};
  std::thread collector;
  Collector logging(image);
  if (args.enable) logging.EnableLogging();
  if (config.collect) collector = std::thread(Collect, image, &feed, &stop);
  // A stop request may come before the server has started to listen, when
  // stopping it does nothing yet: ask again until it has ended.
  std::thread watcher([&] {
    while (!stop.load()) {
      if (StopRequested()) server.Stop();
      ServiceAlive();
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  });
  const bool served = server.Run();
  stop = true;
  server.Stop();
  watcher.join();
  if (collector.joinable()) collector.join();
  logging.Restore();
  std::printf("quorsma: stopped\n");
  return served || StopRequested() ? 0 : Fail("the server failed");
}

}  // namespace

void AddServeCommand(CLI::App& app, int* exit_code) {
  auto args = std::make_shared<ServeArgs>();
  CLI::App* serve = app.add_subcommand("serve", "Serve a device monitor page and a JSON API over HTTP");
  serve->add_option("--listen", args->listen, "ADDR:PORT to listen on (port 0: any free port)")
      ->default_val("127.0.0.1:8080");
  serve->add_option("--allow-write", args->allow_write,
                    "Devices that writes may reach, as ranges: D100..D120,Y0..Y1F,M5 or all (default: no writes)");
  serve->add_option("--token-file", args->token_file,
                    "Writes need 'Authorization: Bearer' and the first line of this file (default: a random token, "
                    "printed once)");
  serve->add_option("--interval", args->interval_ms, "Milliseconds between live updates")
      ->default_val(200)
      ->check(CLI::Range(10, 60000));
  CLI::Option* collect = serve->add_flag(
      "--collect", args->collect, "Also take the value-change lines (as quorsma log does) and send them to the page");
  serve->add_flag("--enable", args->enable,
                  "With --collect: switch value-change logging on (LogEnable) while serving, as log --enable does")
      ->needs(collect);
  serve->add_flag("--no-confirm", args->no_confirm,
                  "The page writes a bit on one click, without asking first (default: it asks)");
  serve->footer("The server listens on loopback unless told otherwise and refuses writes unless --allow-write is "
                "given.  SIGINT or SIGTERM stop it.");
  serve->callback([args, exit_code] { *exit_code = Serve(*args); });
}

}  // namespace quorsma::tool
