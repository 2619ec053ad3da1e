// The coder without memory for its tables: its own error and message, not a
// failed allocation escaping from the tool.
#include "codec/LZREncoder.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The process's address space now, in bytes.
size_t AddressSpace() {
  unsigned long Pages = 0;
  if (FILE *F = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(F, "%lu", &Pages) != 1)
      Pages = 0;
    std::fclose(F);
  }
  return size_t(Pages) * size_t(sysconf(_SC_PAGESIZE));
}

} // namespace

TEST(LZREncodeDeathTest, NoMemoryForTheTablesIsTheCodersOwnError) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer's allocator does not honour an address-space limit";
#else
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        // A little more room than the process has: the coder's tables, over
        // 600 KB, cannot be had.
        const size_t Now = AddressSpace();
        if (Now == 0)
          std::_Exit(2);
        rlimit Limit{};
        Limit.rlim_cur = Limit.rlim_max = Now + 64 * 1024;
        setrlimit(RLIMIT_AS, &Limit);
        try {
          codec::TLzrEncoder Encoder;
          std::fprintf(stderr, "the tables were had\n");
          std::_Exit(1);
        } catch (const codec::ELzrw1KHCompressor &E) {
          std::fprintf(stderr, "%s\n", E.what());
          std::_Exit(0);
        }
      },
      ::testing::ExitedWithCode(0), "^LZRW1KH : no memory for HASH table\n$");
#endif
}
