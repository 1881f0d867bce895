// The reasons of system errors in messages: decoded from the locale's own character set.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "tests/test_support.h"
#include "worksheet/cp932.h"
#include "worksheet/system_error.h"

namespace lumo {
namespace {

TEST(SystemError, ReasonIsUtf8InEveryJapaneseLocale) {
    const struct {
        const char* locale;
        int err;
        std::string reason;
    } cases[] = {
        {"C", EACCES, "Permission denied"},
        {"ja_JP.UTF-8", EACCES, "許可がありません"},
        {"ja_JP.UTF-8", ENOTDIR, "ディレクトリではありません"},
        {"ja_JP.eucJP", EACCES, "許可がありません"},
    };
    for (const auto& c : cases) {
        const test::ScopedLocale locale(c.locale);
        if (!locale.ok()) {
            std::printf("skipped %s: locale not available (install locales)\n", c.locale);
            continue;
        }
        const std::string reason = SystemErrorUtf8(c.err);
        EXPECT_TRUE(IsValidUtf8(reason)) << c.locale;
        if (IsAscii(reason) && !IsAscii(c.reason)) {
            std::printf("skipped %s: no Japanese messages of the C library (install libc-l10n)\n",
                        c.locale);
            continue;
        }
        EXPECT_EQ(reason, c.reason) << c.locale;
    }
}

}  // namespace
}  // namespace lumo
