#include "platform/SystemCodePage.h"

#include <gtest/gtest.h>

namespace {

// Every way of cutting a text in two decodes to the text itself.
TEST(SystemDecoder, DecodesACharacterSplitBetweenTwoPiecesWhole)
{
    const QString texts[] = {
        QStringLiteral("abécd"),        // 2-byte sequence
        QStringLiteral("x€y"),          // 3 bytes
        QStringLiteral("z\U0001F600!"), // 4 bytes, a surrogate pair in UTF-16
        QStringLiteral("Müller Café"),
    };
    for (const QString &text : texts) {
        const QByteArray bytes = Platform::EncodeSystem(text);
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
            SCOPED_TRACE(text.toStdString() + " cut at " + std::to_string(cut));
            Platform::TSystemDecoder decoder;
            const QString first = decoder.Decode(bytes.left(cut));
            const QString second = decoder.Decode(bytes.mid(cut));
            EXPECT_EQ(first + second + decoder.Finish(), text);
            EXPECT_FALSE(first.contains(QChar::ReplacementCharacter));
        }
    }
}

TEST(SystemDecoder, DecodesWhatIsStillHeldAtTheEnd)
{
    Platform::TSystemDecoder decoder;
    EXPECT_EQ(decoder.Decode(QByteArray("ok\xC3")), QStringLiteral("ok"));
    EXPECT_EQ(decoder.Finish(), QString(QChar::ReplacementCharacter));
    EXPECT_EQ(decoder.Finish(), QString());
    // Invalid bytes inside a piece are not held back.
    EXPECT_EQ(decoder.Decode(QByteArray("a\xFF"
                                        "b")),
              QStringLiteral("a\uFFFDb"));
    decoder.Decode(QByteArray("\xE2\x82"));
    decoder.Reset();
    EXPECT_EQ(decoder.Decode(QByteArray("c")), QStringLiteral("c"));
}

} // namespace
