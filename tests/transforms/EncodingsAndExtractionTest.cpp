#include "TransformCases.h"

#include "IcuRegex.h"
#include "TransformSupport.h"

#include <QRegularExpression>

using T = ClipboardTextTransform;

TEST(EncodingsAndExtraction, EncodersReadUtf8)
{
    expectTransforms({
        {T::base64Encode, QStringLiteral("Hello, Wörld"), QStringLiteral("SGVsbG8sIFfDtnJsZA==")},
        {T::hexEncode, QStringLiteral("é\n"), QStringLiteral("c3a90a")},
        {T::urlEncode, QStringLiteral("a b/c&d=é-._~?"), QStringLiteral("a%20b%2Fc%26d%3Dé-._~%3F")},
        {T::urlEncode, QStringLiteral(u"\U0001F600 \u00A9\u20AC x"),
            QStringLiteral("%F0%9F%98%80%20%C2%A9%E2%82%AC%20x")},
        // An unpaired surrogate is written as the replacement character.
        {T::urlEncode, QString(QChar(0xD800)) + QLatin1Char('a'), QStringLiteral("%EF%BF%BDa")},
        {T::htmlEncode, QStringLiteral("<a href=\"x\">'&'</a>"),
            QStringLiteral("&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;")},
        {T::escapeRegex, QStringLiteral("a+b(c)"), QStringLiteral("a\\+b\\(c\\)")},
        {T::escapeRegex, QStringLiteral("\\.^$*?[]{}| -/"), QStringLiteral("\\\\\\.\\^\\$\\*\\?\\[\\]\\{\\}\\| -/")},
        {T::md5Hash, QStringLiteral("abc"), QStringLiteral("900150983cd24fb0d6963f7d28e17f72")},
        {T::sha256Hash, QStringLiteral("abc"),
            QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad")},
    });
}

TEST(EncodingsAndExtraction, DecodersReturnUndecodableInputUnchanged)
{
    expectTransforms({
        {T::base64Decode, QStringLiteral("  SGVs\r\nbG8s IFfD\ntnJsZA==\n"), QStringLiteral("Hello, Wörld")},
        {T::base64Decode, QStringLiteral("not base64!"), QStringLiteral("not base64!")},
        {T::base64Decode, QStringLiteral("SGVsbG8"), QStringLiteral("SGVsbG8")}, // padding missing
        // The start of a PNG file: valid Base64, but the bytes are not UTF-8.
        {T::base64Decode, QStringLiteral("iVBORw0KGgo="), QStringLiteral("iVBORw0KGgo=")},
        {T::hexDecode, QStringLiteral("48 65 6C 6C 6F"), QStringLiteral("Hello")},
        {T::hexDecode, QStringLiteral("c3:a9"), QStringLiteral("é")},
        {T::hexDecode, QStringLiteral("486"), QStringLiteral("486")},
        // The 0 of a 0x prefix counts and shifts the pairs.
        {T::hexDecode, QStringLiteral("0x4142"), QStringLiteral("0x4142")},
        {T::hexDecode, QStringLiteral("0x414"), QStringLiteral("\u0004\u0014")},
        {T::hexDecode, QStringLiteral("ff fe"), QStringLiteral("ff fe")},
        {T::hexDecode, QStringLiteral("no digits"), QStringLiteral("no digits")},
        {T::hexDecode, QStringLiteral("efbbbf41"), QStringLiteral("\uFEFFA")},
        {T::urlDecode, QStringLiteral("a%20b+c%2fd%C3%A9%e2%82%acé"), QStringLiteral("a b+c/dé€é")},
        {T::urlDecode, QStringLiteral("100%"), QStringLiteral("100%")},
        {T::urlDecode, QStringLiteral("50% off"), QStringLiteral("50% off")},
        {T::urlDecode, QStringLiteral("%FF"), QStringLiteral("%FF")},
        {T::urlDecode, QStringLiteral("%C3é"), QStringLiteral("%C3é")},
    });
}

TEST(EncodingsAndExtraction, HtmlDecoding)
{
    expectTransforms({
        {T::htmlDecode, QStringLiteral("&lt;b&gt; &quot;x&quot; &#39;y&apos; &amp;amp;"),
            QStringLiteral("<b> \"x\" 'y' &amp;")},
        // "&amp;" is decoded before the numeric references.
        {T::htmlDecode, QStringLiteral("&amp;#65;"), QStringLiteral("A")},
        {T::htmlDecode, QStringLiteral("&#72;&#x69;&#x1F600;&#0065;"), QStringLiteral(u"Hi\U0001F600A")},
        {T::htmlDecode, QStringLiteral("&#55296; &#xD800; &#x110000; &#99999999999999999999; &#X41; &#x41"),
            QStringLiteral("&#55296; &#xD800; &#x110000; &#99999999999999999999; &#X41; &#x41")},
        {T::htmlDecode, QStringLiteral("&nbsp;&copy;&#\u0661;"), QStringLiteral("&nbsp;&copy;&#\u0661;")},
    });
    const QString text = QStringLiteral("<p class=\"a\">Tom & 'Jerry' > x</p>");
    EXPECT_EQ(T(T::htmlDecode).apply(T(T::htmlEncode).apply(text)), text);
}

TEST(EncodingsAndExtraction, Extraction)
{
    expectTransforms({
        {T::extractNumbers, QStringLiteral("on 2020-01-02"), QStringLiteral("2020\n-01\n-02")},
        {T::extractNumbers, QStringLiteral("version 2.0.1, -.5 and 3."), QStringLiteral("2.0\n.1\n-.5\n3")},
        {T::extractNumbers, QStringLiteral("none"), QString()},
        {T::extractURLs, QStringLiteral("See https://example.com/a?b=1. Or WWW.test.org/x\"y, ftp://no"),
            QStringLiteral("https://example.com/a?b=1.\nWWW.test.org/x")},
        {T::extractEmails, QStringLiteral("Mail JOHN.Doe@Example.COM, a@b.c or x@y.io. x@y.io"),
            QStringLiteral("JOHN.Doe@Example.COM\nx@y.io\nx@y.io")},
        {T::extractEmails, QStringLiteral("user@host.c0m.uk.9 me@sub.do-main.org"),
            QStringLiteral("user@host.c0m.uk\nme@sub.do-main.org")},
        {T::extractEmails, QStringLiteral("no addresses @ all"), QString()},
    });
}

TEST(EncodingsAndExtraction, ExtractEmailsAgreesWithItsRegularExpression)
{
    const IcuRegex email(QStringLiteral("[A-Z0-9._%+-]+@[A-Z0-9.-]+\\.[A-Z]{2,}"), IcuRegex::CaseInsensitive);
    RandomTexts texts({QStringLiteral("a"), QStringLiteral("Z"), QStringLiteral("1"), QStringLiteral("@"),
        QStringLiteral("."), QStringLiteral("-"), QStringLiteral("_"), QStringLiteral("%"), QStringLiteral("+"),
        QStringLiteral(" "), QStringLiteral("\u212A"), QStringLiteral("\u017F"), QStringLiteral("é"),
        QStringLiteral("ab"), QStringLiteral(".co")});
    for (int i = 0; i < 20000; ++i) {
        const QString text = texts.next(30);
        ASSERT_EQ(T(T::extractEmails).apply(text), TransformSupport::regexMatches(text, email).join(u'\n'))
            << text.toStdString();
    }
}

TEST(EncodingsAndExtraction, GeneratedUuidsAreNewEveryTime)
{
    static const QRegularExpression form(
        QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
    const QString first = T(T::generateUUID).apply(QStringLiteral("ignored"));
    const QString second = T(T::generateUUID).apply(QStringLiteral("ignored"));
    EXPECT_TRUE(form.match(first).hasMatch()) << first.toStdString();
    EXPECT_TRUE(form.match(second).hasMatch()) << second.toStdString();
    EXPECT_NE(first, second);
}
