#include "message/message.h"

#include <gtest/gtest.h>

#include <string>

#include "message/rc4.h"

namespace tavik {
namespace {

TEST(ConcealedMessage, Deciphers) {
  EXPECT_EQ(fromRC4(concealedKey, concealedText), "Fine, you win. I never read any minds.");
}

TEST(ConcealedMessage, Forms) {
  const std::string key = concealedKey;
  ASSERT_EQ(key.size(), 80u);
  for (const char c : key) EXPECT_TRUE(c >= 'a' && c <= 'z') << c;
  const std::string text = concealedText;
  ASSERT_EQ(text.size(), 76u);
  for (const char c : text) EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << c;
}

}  // namespace
}  // namespace tavik
