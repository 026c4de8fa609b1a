#include <gtest/gtest.h>

#include "mailstore/HeaderText.h"

namespace feedwell::mailstore {
namespace {

struct HeaderCase {
  const char* raw;
  const char* decoded;  // UTF-8
};

class DecodeHeaderTextTest : public testing::TestWithParam<HeaderCase> {};

TEST_P(DecodeHeaderTextTest, DecodesAsAReaderExpects) {
  EXPECT_EQ(DecodeHeaderText(QByteArray(GetParam().raw)), QString::fromUtf8(GetParam().decoded));
}

INSTANTIATE_TEST_SUITE_P(
    Subjects, DecodeHeaderTextTest,
    testing::Values(HeaderCase{" Plain subject", "Plain subject"},
                    HeaderCase{"=?UTF-8?B?16nXnNeV150=?=", "שלום"},
                    // A character split between two words, the first ending in base64 padding.
                    HeaderCase{"=?UTF-8?B?16nXnNeV150g15w=?= =?UTF-8?B?15vXnSDXkdeZ15XXnSDXqNeR15nXoteZ?=",
                               "שלום לכם ביום רביעי"},
                    // Folded over two lines, blanks between encoded words dropped.
                    HeaderCase{"=?utf-8?q?caf=C3=A9?=\r\n =?utf-8?q?_au_lait?=", "café au lait"},
                    HeaderCase{"Re: =?windows-1255?B?+uXj5A==?= now", "Re: תודה now"},
                    HeaderCase{"=?ISO-8859-1*fr?Q?=E9t=E9?=", "été"},
                    // Blanks between plain text and an encoded word stay.
                    HeaderCase{"Hello =?UTF-8?Q?W=C3=B6rld?= again", "Hello Wörld again"},
                    // Broken words stay readable text rather than vanishing.
                    HeaderCase{"=?UTF-8?B?###?= tail", "=?UTF-8?B?###?= tail"},
                    HeaderCase{"=?no-such-charset?Q?abc?=", "abc"}, HeaderCase{"", ""}));

}  // namespace
}  // namespace feedwell::mailstore
