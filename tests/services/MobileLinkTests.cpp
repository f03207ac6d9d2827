// The Go Mobile tile's request, clipboard, QR code and self-hiding.

#include "ServicesTestKit.h"

#include "services/QrCodeImage.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

const QByteArray linkPath = "/api/codex/mobile-link";

TestResponse linkAnswer(const char* url)
{
    return TestResponse::json(QByteArray(R"({"url": ")") + url + R"(", "expiresIn": 600})");
}

bool copy(ServicesTestKit& kit)
{
    return finishes([&](auto done) { kit.services->mobileLink.copyPhoneLink(done); });
}

bool isShown(const CompanionModel& model)
{
    return model.mobileLinkCopied && model.mobileInstructionsVisible && model.mobileQRImage.get().has_value();
}

// Whether the 7 x 7 finder pattern (dark ring, light ring, dark 3 x 3 core)
// of a QR symbol starts at module (x, y) of a one-pixel-per-module image.
bool finderPatternAt(const QImage& modules, int x, int y)
{
    for (int dy = 0; dy < 7; ++dy) {
        for (int dx = 0; dx < 7; ++dx) {
            const int ring = std::max(std::abs(dx - 3), std::abs(dy - 3));
            const bool dark = ring != 2;
            if ((modules.pixelIndex(x + dx, y + dy) == 1) != dark)
                return false;
        }
    }
    return true;
}

} // namespace

TEST(MobileLink, ACopiedLinkGoesToTheClipboardAndShowsAsACode)
{
    ServicesTestKit kit;
    kit.server.answer("GET", linkPath, linkAnswer("https://m.example.com/s/abc123"));
    ASSERT_TRUE(copy(kit));

    EXPECT_EQ(kit.pasteboard.replacements, QStringList{QStringLiteral("https://m.example.com/s/abc123")});
    EXPECT_TRUE(isShown(*kit.model));
    EXPECT_EQ(*kit.model->mobileQRImage.get(), *QrCodeImage::forText(QStringLiteral("https://m.example.com/s/abc123")));
    EXPECT_EQ(kit.bell.rings, 0);
}

TEST(MobileLink, EverythingHidesFortyFiveSecondsAfterTheLastCopy)
{
    ServicesTestKit kit;
    kit.server.answerInTurn("GET", linkPath,
                            {linkAnswer("https://m.example.com/1"), linkAnswer("https://m.example.com/2")});
    ASSERT_TRUE(copy(kit));
    kit.scheduler().advance(30s);
    ASSERT_TRUE(copy(kit));
    EXPECT_EQ(*kit.model->mobileQRImage.get(), *QrCodeImage::forText(QStringLiteral("https://m.example.com/2")));

    // The first copy's hide task would have run here; it was replaced.
    kit.scheduler().advance(15s);
    EXPECT_TRUE(isShown(*kit.model));
    kit.scheduler().advance(29999ms);
    EXPECT_TRUE(isShown(*kit.model));
    kit.scheduler().advance(1ms);
    EXPECT_FALSE(kit.model->mobileLinkCopied);
    EXPECT_FALSE(kit.model->mobileInstructionsVisible);
    EXPECT_FALSE(kit.model->mobileQRImage.get().has_value());
    // The clipboard keeps the link.
    EXPECT_EQ(kit.pasteboard.text(), QStringLiteral("https://m.example.com/2"));
}

TEST(MobileLink, AFailureRingsOnceAndChangesNothingElse)
{
    const std::vector<std::pair<const char*, TestResponse>> failures{
        {"server down", TestResponse::hungUp()},
        {"not found", TestResponse::json(R"({"url": "https://m.example.com/x"})", 404)},
        {"url is a number", TestResponse::json(R"({"url": 42})")},
        {"url is null", TestResponse::json(R"({"url": null})")},
        {"no url", TestResponse::json(R"({"link": "https://m.example.com/x"})")},
        {"a list", TestResponse::json(R"([{"url": "https://m.example.com/x"}])")},
        {"not JSON", TestResponse::text("https://m.example.com/x")},
    };
    for (const auto& [name, failure] : failures) {
        ServicesTestKit kit;
        kit.server.answerInTurn("GET", linkPath, {linkAnswer("https://m.example.com/first"), failure});
        ASSERT_TRUE(copy(kit)) << name;
        kit.scheduler().advance(40s);
        ASSERT_TRUE(copy(kit)) << name;

        EXPECT_EQ(kit.bell.rings, 1) << name;
        EXPECT_EQ(kit.pasteboard.replacements.size(), 1) << name;
        EXPECT_EQ(*kit.model->mobileQRImage.get(), *QrCodeImage::forText(QStringLiteral("https://m.example.com/first")))
            << name;
        // A failure does not restart the 45 s: the first copy's code still goes.
        kit.scheduler().advance(5s);
        EXPECT_FALSE(kit.model->mobileInstructionsVisible) << name;
    }
}

TEST(MobileLink, ALinkWithoutACodeIsStillCopiedAndShown)
{
    // Empty, and too long for any QR code.
    for (const QByteArray& url : {QByteArray(), QByteArray(4000, 'a')}) {
        ServicesTestKit kit;
        kit.server.answer("GET", linkPath, TestResponse::json(R"({"url": ")" + url + "\"}"));
        ASSERT_TRUE(copy(kit));
        EXPECT_EQ(kit.pasteboard.text(), QString::fromLatin1(url));
        EXPECT_EQ(kit.pasteboard.replacements.size(), 1);
        EXPECT_FALSE(kit.model->mobileQRImage.get().has_value());
        EXPECT_TRUE(kit.model->mobileLinkCopied);
        EXPECT_TRUE(kit.model->mobileInstructionsVisible);
        EXPECT_EQ(kit.bell.rings, 0);
    }
}

TEST(MobileLink, TheLinkIsTheTextUnderUrl)
{
    const std::vector<std::pair<QByteArray, std::optional<QString>>> cases{
        {R"({"url": "x"})", QStringLiteral("x")},
        {R"({"url": ""})", QString()},
        {R"({"url": "é \u2192"})", QStringLiteral("é →")},
        {R"({"url": "a", "other": [1, 2]})", QStringLiteral("a")},
        {R"({"url": true})", std::nullopt},
        {R"({"URL": "x"})", std::nullopt},
        {R"("x")", std::nullopt},
        {R"({"url": "x"} trailing)", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [body, link] : cases)
        EXPECT_EQ(MobileLinkCopier::linkFromBody(body), link) << body.constData();
}

TEST(QrCodeImage, IsTheSymbolScaledElevenTimesWithSharpModules)
{
    const QString link = QStringLiteral("https://m.example.com/s/abc123");
    const std::optional<QImage> modules = QrCodeImage::modules(link);
    const std::optional<QImage> image = QrCodeImage::forText(link);
    ASSERT_TRUE(modules && image);
    EXPECT_EQ(image->size(), modules->size() * 11);

    for (int y = 0; y < modules->height(); ++y) {
        for (int x = 0; x < modules->width(); ++x) {
            const QColor module = modules->pixelColor(x, y);
            // Every pixel of the 11 x 11 square has the module's colour.
            for (const auto& [dx, dy] : {std::pair{0, 0}, {10, 0}, {0, 10}, {10, 10}, {5, 5}})
                ASSERT_EQ(image->pixelColor(x * 11 + dx, y * 11 + dy), module) << x << "," << y;
        }
    }
}

TEST(QrCodeImage, DrawsAWholeSymbolInsideALightBorder)
{
    const std::optional<QImage> modules = QrCodeImage::modules(QStringLiteral("https://m.example.com/s/abc123"));
    ASSERT_TRUE(modules);
    const int size = modules->width();
    const int symbol = size - 2 * QrCodeImage::border;
    // A QR symbol is 21 modules wide, plus 4 per version above the first.
    EXPECT_EQ((symbol - 21) % 4, 0);
    EXPECT_EQ(modules->height(), size);

    for (int i = 0; i < size; ++i) {
        for (const auto& [x, y] : {std::pair{i, 0}, {0, i}, {i, size - 1}, {size - 1, i}})
            ASSERT_EQ(modules->pixelIndex(x, y), 0) << x << "," << y;
    }
    const int b = QrCodeImage::border;
    EXPECT_TRUE(finderPatternAt(*modules, b, b));
    EXPECT_TRUE(finderPatternAt(*modules, b + symbol - 7, b));
    EXPECT_TRUE(finderPatternAt(*modules, b, b + symbol - 7));
    EXPECT_FALSE(finderPatternAt(*modules, b + symbol - 7, b + symbol - 7));
    EXPECT_EQ(modules->pixelColor(b, b), QColor(Qt::black));
    EXPECT_EQ(modules->pixelColor(0, 0), QColor(Qt::white));
}

TEST(QrCodeImage, LongerTextsNeedLargerSymbolsAndSomeNeedTooLarge)
{
    const auto widthFor = [](int length) { return QrCodeImage::modules(QString(length, u'x'))->width(); };
    EXPECT_EQ(widthFor(1), 21 + 2 * QrCodeImage::border);
    EXPECT_LT(widthFor(20), widthFor(200));
    // A NUL inside the text is encoded, not taken as its end.
    EXPECT_NE(QrCodeImage::modules(QStringLiteral("a") + QChar(0) + QString(60, u'b'))->width(), widthFor(1));
    EXPECT_FALSE(QrCodeImage::modules(QString()).has_value());
    EXPECT_FALSE(QrCodeImage::modules(QString(3000, u'x')).has_value());
}
