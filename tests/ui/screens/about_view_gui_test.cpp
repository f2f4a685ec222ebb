// The About page: each link card opens its own target from anywhere on the card, hover is tracked per element,
// and the layout keeps its fixed header and side-by-side cards when narrow.
#include "ui/screens/about_avatar.hpp"
#include "ui/screens/about_link_card.hpp"
#include "ui/screens/about_view.hpp"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QScrollBar>

namespace clicktrove::testing {
namespace {

// Takes the place of the browser for https links.
class UrlSink : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};

void click(QWidget* widget, QPointF at) {
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

void enter(QWidget* widget) {
    const QPointF at = QRectF(widget->rect()).center();
    QEnterEvent event(at, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &event);
}

void leave(QWidget* widget) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
}

class AboutViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &sink, "open");
        view.resize(720, 700);
        view.show();
    }
    void TearDown() override { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }

    UrlSink sink;
    AboutView view;
};

TEST_F(AboutViewTest, LinkTargetsAreAbsoluteWebAddresses) {
    for (const QUrl& url : {view.websiteUrl(), view.githubUrl()}) {
        EXPECT_TRUE(url.isValid()) << url.toString().toStdString();
        EXPECT_FALSE(url.isRelative());
        EXPECT_EQ(url.scheme(), QStringLiteral("https"));
        EXPECT_FALSE(url.host().isEmpty());
    }
    EXPECT_NE(view.websiteUrl(), view.githubUrl());
    EXPECT_EQ(view.websiteCard()->url(), view.websiteUrl());
    EXPECT_EQ(view.githubCard()->url(), view.githubUrl());
}

TEST_F(AboutViewTest, AClickAnywhereOnACardOpensThatCardsTarget) {
    struct Case {
        const char* where;
        AboutLinkCard* card;
        double xFraction;
        QUrl target;
    };
    const Case cases[] = {
        {"portfolio badge", view.websiteCard(), 0.08, view.websiteUrl()},
        {"portfolio spacer", view.websiteCard(), 0.7, view.websiteUrl()},
        {"code host title", view.githubCard(), 0.3, view.githubUrl()},
        {"code host arrow", view.githubCard(), 0.95, view.githubUrl()},
    };
    for (const auto& c : cases) {
        sink.opened.clear();
        click(c.card, QPointF(c.card->width() * c.xFraction, c.card->height() / 2.0));
        ASSERT_EQ(sink.opened.size(), 1u) << c.where;
        EXPECT_EQ(sink.opened[0], c.target) << c.where;
    }
    EXPECT_FALSE(view.websiteHovered());
    EXPECT_FALSE(view.githubHovered());
}

TEST_F(AboutViewTest, EachElementTracksItsOwnHover) {
    AboutLinkCard* website = view.websiteCard();
    AboutLinkCard* github = view.githubCard();

    enter(website);
    EXPECT_TRUE(view.websiteHovered());
    EXPECT_FALSE(view.githubHovered());
    EXPECT_DOUBLE_EQ(website->targetFillOpacity(), 0.9);
    EXPECT_DOUBLE_EQ(website->targetBorderOpacity(), 0.4);
    EXPECT_DOUBLE_EQ(website->targetScale(), 1.01);
    EXPECT_DOUBLE_EQ(github->targetFillOpacity(), 0.5);
    EXPECT_DOUBLE_EQ(github->targetBorderOpacity(), 0.1);
    EXPECT_DOUBLE_EQ(github->targetScale(), 1.0);

    // Straight from one card to the other.
    leave(website);
    enter(github);
    EXPECT_FALSE(view.websiteHovered());
    EXPECT_TRUE(view.githubHovered());
    EXPECT_FALSE(view.avatarHovered());

    enter(view.avatar());
    EXPECT_TRUE(view.avatarHovered());
    EXPECT_DOUBLE_EQ(view.avatar()->targetScale(), 1.05);
    leave(view.avatar());
    EXPECT_FALSE(view.avatarHovered());
    EXPECT_DOUBLE_EQ(view.avatar()->targetScale(), 1.0);
}

TEST_F(AboutViewTest, ANarrowPageKeepsItsHeaderAndSideBySideCardsAndScrolls) {
    view.resize(360, 400);
    QApplication::processEvents();
    const QWidget* header = view.avatar()->parentWidget();
    EXPECT_EQ(header->height(), 240);
    const QRect website = view.websiteCard()->geometry();
    const QRect github = view.githubCard()->geometry();
    EXPECT_EQ(website.top(), github.top());
    EXPECT_EQ(github.left() - website.right() - 1, 14);
    EXPECT_LE(std::abs(website.width() - github.width()), 1);
    EXPECT_GT(view.verticalScrollBar()->maximum(), 0);
}

}  // namespace
}  // namespace clicktrove::testing

#include "about_view_gui_test.moc"
