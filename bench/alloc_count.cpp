// SPDX-License-Identifier: MIT
// Counts heap allocations while the command loop runs 10,000 mixed navigation, text-entry and
// editing commands after start-up. Every allocation goes through malloc, which this program
// interposes, so C++ and C allocations are both seen. Prints the count; the target is 0.
#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "core/loop.h"
#include "core/startup.h"
#include "harness.h"

extern "C" void* __libc_malloc(std::size_t size);
extern "C" void* __libc_calloc(std::size_t count, std::size_t size);
extern "C" void* __libc_realloc(void* p, std::size_t size);

namespace {
// Counting is the whole point of this program; nothing else reads it.
bool counting = false;
long allocations = 0;
}  // namespace

extern "C" void* malloc(std::size_t size) {
  allocations += counting ? 1 : 0;
  return __libc_malloc(size);
}
extern "C" void* calloc(std::size_t count, std::size_t size) {
  allocations += counting ? 1 : 0;
  return __libc_calloc(count, size);
}
extern "C" void* realloc(void* p, std::size_t size) {
  allocations += counting ? 1 : 0;
  return __libc_realloc(p, size);
}

int main() {
  std::mt19937 rng(1);
  const char* commands[] = {",", ".", "n", "b", ">", "<", "l", "e", "L", "#",
                            "a", "A", "d", "D", "w", "t", "T", "z", "v", "V"};
  const char* prompted[] = {"j\nline\n", "J\ntext\n", "g\n100\n", "G\n5\n",   "m\n200\n",
                            "C\n300\n",  "c\n4\n",    "x\n2\n",   "i\nabc\n", "p\n12\n"};
  std::string script;
  for (int n = 0; n < 10000; ++n) {
    const int pick = std::uniform_int_distribution<int>(0, 9)(rng);
    if (pick < 4) {
      script += "typed line " + std::to_string(n) + "\n";
    } else if (pick < 8) {
      script += commands[std::uniform_int_distribution<int>(0, 19)(rng)];
      script += "\n";
    } else {
      script += prompted[std::uniform_int_distribution<int>(0, 9)(rng)];
    }
  }
  script += "q\nq\n";

  brenik::testing::TempDir directory;
  brenik::testing::FaultyFs fs;
  brenik::Editor ed;
  ed.io.in = memfd_create("script", 0);
  if (write(ed.io.in, script.data(), script.size()) != static_cast<ssize_t>(script.size()) ||
      lseek(ed.io.in, 0, SEEK_SET) != 0) {
    return 1;
  }
  ed.io.out = std::fopen("/dev/null", "w");
  ed.fs = &fs;
  char name[] = "brenik";
  char* argv[] = {name, nullptr};
  if (brenik::StartUp(ed, 1, argv) != brenik::Flow::kContinue) {
    return 1;
  }
  counting = true;
  const int status = brenik::RunEditor(ed);
  counting = false;
  std::printf("heap allocations during 10,000 commands after start-up: %ld (exit %d)\n",
              allocations, status);
  return 0;
}
