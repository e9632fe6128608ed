// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "NotificationText.h"

using namespace orbelle;

TEST(NotificationTextTest, ShowsTheTextAsTypedAndShortened)
{
    std::string kana;
    for (int i = 0; i < 201; ++i)
        kana += "あ";
    const std::pair<std::string, std::string> cases[] = {
        {"7:30\n会議", "7:30\n会議"},
        {"<b>bold</b> & <a href=\"x\">link</a>", "&lt;b&gt;bold&lt;/b&gt; &amp; &lt;a href=\"x\"&gt;link&lt;/a&gt;"},
        {"<img src=file:///etc/passwd>", "&lt;img src=file:///etc/passwd&gt;"},
        {"&lt;", "&amp;lt;"},
        {std::string(200, 'x'), std::string(200, 'x')},
        {std::string(300000, 'x'), std::string(200, 'x') + "…"},
        {kana, kana.substr(0, 600) + "…"},                  // cut between characters, not bytes
        {std::string(199, 'x') + "<<", std::string(199, 'x') + "&lt;…"},
    };
    for (const auto &[text, body] : cases)
        EXPECT_EQ(notificationBody(text), body) << text.substr(0, 40);
}
