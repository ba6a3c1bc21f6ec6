// tarnwick-webgen: writes a synthetic FrontPage web for trying out and timing conversions.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "web_generator.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: tarnwick-webgen [--files N] [--folders N] [--seed S] OUT\n"
               "  Writes a FrontPage web of N files (default 20000) in N folders (default\n"
               "  1000) into OUT, which must be missing or empty. The same seed gives the\n"
               "  same web.\n");
}

bool ParseNumber(const char* text, long long& value) {
  if (text == nullptr) return false;
  char* end = nullptr;
  value = std::strtoll(text, &end, 10);
  return end != text && *end == '\0' && value >= 0;
}

}  // namespace

int main(int argc, char** argv) {
  tarnwick::WebShape shape;
  std::string out;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    long long number = 0;
    if (arg == "--files" || arg == "--folders" || arg == "--seed") {
      if (!ParseNumber(i + 1 < argc ? argv[++i] : nullptr, number)) {
        std::fprintf(stderr, "%s needs a whole number\n", arg.c_str());
        return 2;
      }
      if (arg == "--files") {
        if (number < 1) {
          std::fprintf(stderr, "--files needs at least 1\n");
          return 2;
        }
        shape.files = number;
      } else if (arg == "--folders") {
        shape.folders = number;
      } else {
        shape.seed = static_cast<std::uint64_t>(number);
      }
    } else if (arg == "--help" || arg == "-h") {
      Usage();
      return 0;
    } else if (!arg.empty() && arg[0] == '-') {
      std::fprintf(stderr, "unknown option: %s\n", arg.c_str());
      Usage();
      return 2;
    } else if (out.empty()) {
      out = arg;
    } else {
      std::fprintf(stderr, "only one output folder, please\n");
      return 2;
    }
  }
  if (out.empty()) {
    Usage();
    return 2;
  }
  tarnwick::WebGenerator generator(shape);
  std::string error;
  if (!generator.Generate(out, &error)) {
    std::fprintf(stderr, "tarnwick-webgen: %s\n", error.c_str());
    return 1;
  }
  const tarnwick::WebCounts& counts = generator.Counts();
  std::printf(
      "%lld files (%lld bytes) in %lld folders, %lld _vti_cnf files, %lld extension-folder "
      "files written to %s\n",
      static_cast<long long>(counts.keptFiles), static_cast<long long>(counts.keptBytes),
      static_cast<long long>(counts.contentFolders), static_cast<long long>(counts.mirrorFiles),
      static_cast<long long>(counts.extensionFiles), out.c_str());
  return 0;
}
