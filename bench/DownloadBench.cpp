// Downloads: HttpGetToFile against `curl -s -o` fetching the same file from a loopback server
// in the same run.
//
// CALIBRIX_BENCH_DOWNLOAD_MIB (default 100) sets the file size; CALIBRIX_BENCH_CURL names the
// curl program (default "curl").
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "support/LoopbackServer.h"
#include "update/Download.h"
#include "update/UpdateConfig.h"

namespace {

namespace fs = std::filesystem;

using cbx::bench::EnvNumber;
using cbx::bench::Seconds;
using cbx::bench::ShellQuote;

// A served folder with one file of the configured size, made once per program.
class Served {
 public:
  static Served& Get() {
    static Served served;
    return served;
  }
  fs::path root;
  std::uint64_t bytes = 0;
  std::unique_ptr<cbx::test::LoopbackServer> server;

  std::string Url() const { return server->BaseUrl() + "firmware.bin"; }

  ~Served() {
    server.reset();
    std::error_code ec;
    fs::remove_all(root, ec);
  }

 private:
  Served() {
    std::string pattern = (fs::temp_directory_path() / "calibrix-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root = pattern;
    fs::create_directories(root / "www");
    fs::create_directories(root / "out");
    bytes = EnvNumber("CALIBRIX_BENCH_DOWNLOAD_MIB", 100) * 1024 * 1024;
    std::vector<char> block(1024 * 1024);
    std::uint64_t seed = 0x243F6A8885A308D3ull;
    std::ofstream out(root / "www/firmware.bin", std::ios::binary | std::ios::trunc);
    for (std::uint64_t left = bytes; left > 0;) {
      for (char& c : block) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        c = static_cast<char>(seed >> 56);
      }
      const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
      out.write(block.data(), static_cast<std::streamsize>(n));
      left -= n;
    }
    out.close();
    server = std::make_unique<cbx::test::LoopbackServer>((root / "www").string());
  }
};

void BM_HttpGetToFile(benchmark::State& state) {
  Served& served = Served::Get();
  const std::string url = served.Url();
  const fs::path ours = served.root / "out/ours.bin";
  const fs::path peer = served.root / "out/peer.bin";
  // The same request as ours: credentials and no-cache headers.
  const std::string curl = cbx::bench::PeerProgram("CALIBRIX_BENCH_CURL", "curl") + " -s -f -o " +
                           ShellQuote(peer.string()) + " -u " +
                           ShellQuote(std::string(cbx::update::kServerUserName) + ":" + cbx::update::kServerPassword) +
                           " -H 'Cache-Control: no-cache' -H 'Pragma: no-cache' " + ShellQuote(url);
  double oursTotal = 0;
  double peerTotal = 0;
  for (auto _ : state) {
    fs::remove(ours);
    cbx::update::HttpResult result;
    const double seconds = Seconds([&] { result = cbx::update::HttpGetToFile(url, ours.string()); });
    if (!result.ok || fs::file_size(ours) != served.bytes) {
      state.SkipWithError("HttpGetToFile failed");
      return;
    }
    state.SetIterationTime(seconds);
    oursTotal += seconds;

    fs::remove(peer);
    int code = 0;
    peerTotal += Seconds([&] { code = std::system(curl.c_str()); });
    if (code != 0 || fs::file_size(peer) != served.bytes) {
      state.SkipWithError("curl failed");
      return;
    }
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["ours_s"] = oursTotal / n;
  state.counters["curl_s"] = peerTotal / n;
  state.counters["ratio_vs_curl"] = oursTotal / peerTotal;
  state.counters["file_MiB"] = static_cast<double>(served.bytes) / (1024.0 * 1024.0);
  state.SetBytesProcessed(static_cast<std::int64_t>(served.bytes) * state.iterations());
}

// Each fetch moves 100 MiB; three are enough to smooth out a stray scheduling hiccup.
BENCHMARK(BM_HttpGetToFile)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
