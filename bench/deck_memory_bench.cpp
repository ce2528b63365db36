// Peak memory of pelmo-deck on its heaviest inputs: the real program in a child process, its peak
// resident size read back through wait4. The inputs are written a piece at a time so that this
// process stays small: a child's peak starts from the size of the process that spawned it.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/deck_generator.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Run {
  long peakBytes = 0;
  double seconds = 0;
  int status = -1;
};

// Runs pelmo-deck with its output thrown away (import warns once per symbol it substitutes).
Run RunDeck(const std::string& tool, const std::vector<std::string>& args) {
  std::vector<std::string> words = {tool};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) {
    argv.push_back(w.data());
  }
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  Run run;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
    rusage usage{};
    int status = 0;
    if (wait4(pid, &status, 0, &usage) == pid) {
      run.peakBytes = usage.ru_maxrss * 1024L;  // KiB on Linux
      run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  posix_spawn_file_actions_destroy(&actions);
  return run;
}

// A deck of one card whose pronunciation is `count` copies of `piece`, written in pieces.
size_t WriteOneCard(const fs::path& path, const std::string& piece, size_t count) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "w,";
  std::string chunk;
  for (size_t i = 0; i < 4096; ++i) {
    chunk += piece;
  }
  for (size_t left = count; left > 0;) {
    const size_t n = left < 4096 ? left : 4096;
    out.write(chunk.data(), static_cast<std::streamsize>(n * piece.size()));
    left -= n;
  }
  out << ",m\r\n";
  return 4 + count * piece.size() + 2;
}

void Report(const char* what, size_t inputBytes, const Run& run, long baseline) {
  std::printf(
      "%-44s %6.1f MB in  %7.1f MB peak  %6.1fx the input  (%5.1fx above the baseline)"
      "  %6.2f s  status %d\n",
      what, inputBytes / 1e6, run.peakBytes / 1e6,
      static_cast<double>(run.peakBytes) / static_cast<double>(inputBytes),
      static_cast<double>(run.peakBytes - baseline) / static_cast<double>(inputBytes), run.seconds,
      run.status);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: deck_memory_bench PELMO_DECK WORK_DIR\n");
    return 2;
  }
  const std::string tool = argv[1];
  const fs::path work = argv[2];
  fs::remove_all(work);
  fs::create_directories(work);

  const fs::path small = work / "one-card.csv";
  std::ofstream(small, std::ios::binary) << "cat,ka0!t,\x94\x4C\r\n";
  const long baseline = RunDeck(tool, {"check", small.string()}).peakBytes;
  std::printf("baseline (check of a one-card deck): %.1f MB peak\n", baseline / 1e6);

  // check: half a million unknown keys on one line, of which a thousand are listed.
  const fs::path brackets = work / "brackets.csv";
  const size_t bracketBytes = WriteOneCard(brackets, "[", 512 * 1024);
  Report("check, 512 Ki '[' in a pronunciation", bracketBytes,
         RunDeck(tool, {"check", brackets.string()}), baseline);

  // import: 2 Mi of a symbol the glyphs draw as another, each one a warning.
  const fs::path upsilon = work / "upsilon.csv";
  const size_t upsilonBytes = WriteOneCard(upsilon, "\xCA\x8A", 2 * 1024 * 1024);
  Report("import, 4 MiB of U+028A in a pronunciation", upsilonBytes,
         RunDeck(tool, {"import", upsilon.string(), (work / "upsilon-deck.csv").string()}),
         baseline);

  // export: a large ordinary deck, about 40 MB.
  const fs::path big = work / "big.csv";
  const size_t bigBytes = pelmo::bench::WriteDeck(big.string(), 830000);
  Report("export, a 40 MB deck", bigBytes,
         RunDeck(tool, {"export", big.string(), (work / "big-export.csv").string()}), baseline);

  fs::remove_all(work);
  return 0;
}
