// Replays inputs through a fuzz target without libFuzzer: a crash or a
// slowdown found by fuzzing stays a failing ordinary test. Arguments are
// folders (every file in them, in name order) or single files, such as a
// reproducer libFuzzer wrote. Reports the slowest input, so a regression to
// seconds shows before it becomes a timeout.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> Inputs(int argc, char** argv) {
  std::vector<std::filesystem::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg(argv[i]);
    if (!std::filesystem::exists(arg)) {
      // A corpus that minimised to nothing beyond its seeds is not committed.
      std::fprintf(stderr, "no %s\n", argv[i]);
      continue;
    }
    if (!std::filesystem::is_directory(arg)) {
      inputs.push_back(arg);
      continue;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(arg)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    inputs.insert(inputs.end(), files.begin(), files.end());
  }
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FOLDER_OR_FILE...\n", argv[0]);
    return 2;
  }
  const std::vector<std::filesystem::path> inputs = Inputs(argc, argv);
  double slowest = 0;
  std::string slowestName;
  for (const auto& path : inputs) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "cannot read %s\n", path.c_str());
      return 1;
    }
    const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    const auto start = std::chrono::steady_clock::now();
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (seconds >= slowest) {
      slowest = seconds;
      slowestName = path.string();
    }
  }
  std::printf("replayed %zu inputs; slowest %.3f s: %s\n", inputs.size(), slowest, slowestName.c_str());
  return inputs.empty() ? 1 : 0;
}
