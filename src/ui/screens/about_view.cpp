#include "ui/screens/about_view.hpp"

#include "ui/design/symbol_icons.hpp"
#include "ui/design/view_fonts.hpp"
#include "ui/screens/about_author.hpp"
#include "ui/screens/about_avatar.hpp"
#include "ui/screens/about_link_card.hpp"
#include "ui/screens/semantic_colors.hpp"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QVBoxLayout>

namespace clicktrove {

namespace {

constexpr int kHeaderHeight = 240;

void setTextColor(QWidget* widget, const QColor& color) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, color);
    widget->setPalette(p);
}

QLabel* label(const QString& text, const QFont& font, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setFont(font);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QLabel* wrapping(const QString& text, const QFont& font, QWidget* parent) {
    auto* l = label(text, font, parent);
    l->setWordWrap(true);
    return l;
}

QLabel* secondaryWrapping(const QString& text, ViewFonts::Style style, QWidget* parent) {
    auto* l = wrapping(text, ViewFonts::style(style), parent);
    l->setForegroundRole(SemanticColors::kSecondaryRole);
    return l;
}

// The header band: a diagonal blue gradient the same in light and dark schemes.
class HeaderBand final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QLinearGradient band(rect().topLeft(), rect().bottomRight());
        band.setColorAt(0, QColor::fromHsvF(0.61f, 0.7f, 0.38f));
        band.setColorAt(1, QColor::fromHsvF(0.55f, 0.8f, 0.25f));
        p.fillRect(rect(), band);
    }
};

// A section of the page: a softly filled rounded card around a column of content.
class SectionCard final : public QFrame {
public:
    explicit SectionCard(QWidget* parent) : QFrame(parent) {
        column_ = new QVBoxLayout(this);
        column_->setContentsMargins(20, 20, 20, 20);
        column_->setSpacing(12);
    }
    QVBoxLayout* column() const { return column_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(SemanticColors::withOpacity(SemanticColors::controlBackground(palette()), 0.5));
        p.setPen(QPen(SemanticColors::withOpacity(SemanticColors::secondaryLabel(palette()), 0.1), 1));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 14, 14);
    }

private:
    QVBoxLayout* column_;
};

QFrame* divider(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    return line;
}

QLayout* sectionTitle(const char* symbolName, const QString& title, QWidget* parent) {
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    const QColor accent = parent->palette().color(QPalette::Highlight);
    auto* icon = new QLabel(parent);
    icon->setPixmap(SymbolIcons::pixmap(QString::fromLatin1(symbolName), accent,
                                        ViewFonts::style(ViewFonts::Style::title3), parent->devicePixelRatioF()));
    row->addWidget(icon);
    row->addWidget(label(title, ViewFonts::style(ViewFonts::Style::headline, QFont::Bold), parent));
    row->addStretch(1);
    return row;
}

QLayout* bulletRow(const QString& emoji, const QString& text, QWidget* parent) {
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    row->addWidget(label(emoji, ViewFonts::style(ViewFonts::Style::callout), parent), 0, Qt::AlignTop);
    row->addWidget(secondaryWrapping(text, ViewFonts::Style::callout, parent), 1, Qt::AlignTop);
    return row;
}

QLayout* infoTile(const QString& value, const QString& caption, QWidget* parent) {
    auto* tile = new QVBoxLayout;
    tile->setSpacing(2);
    tile->addWidget(label(value, ViewFonts::system(13, QFont::Bold), parent), 0, Qt::AlignHCenter);
    auto* l = label(caption, ViewFonts::style(ViewFonts::Style::caption2), parent);
    l->setForegroundRole(SemanticColors::kSecondaryRole);
    tile->addWidget(l, 0, Qt::AlignHCenter);
    return tile;
}

}  // namespace

AboutView::AboutView(QWidget* parent)
    : QScrollArea(parent),
      githubUrl_(QString::fromLatin1(about_author::kGithubUrl)),
      websiteUrl_(QString::fromLatin1(about_author::kWebsiteUrl)) {
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setBackgroundRole(QPalette::Window);

    auto* page = new QWidget(this);
    page->setAutoFillBackground(true);
    page->setBackgroundRole(QPalette::Window);
    auto* stack = new QVBoxLayout(page);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addWidget(buildHeader());
    stack->addWidget(buildContent());
    stack->addStretch(1);
    setWidget(page);
}

bool AboutView::avatarHovered() const {
    return avatar_->isHovered();
}

bool AboutView::websiteHovered() const {
    return websiteCard_->isHovered();
}

bool AboutView::githubHovered() const {
    return githubCard_->isHovered();
}

QWidget* AboutView::buildHeader() {
    auto* band = new HeaderBand(this);
    band->setFixedHeight(kHeaderHeight);
    auto* stack = new QVBoxLayout(band);
    // Centred in the band: with the desktop's fonts the 36-point paddings may not both fit into its fixed
    // height, and the band must not grow. The avatar widget's own 16 points of room around its circle (for
    // growth and shadow) stand for the 16 points between it and the identity block.
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addStretch(1);

    avatar_ = new AboutAvatar(QString::fromUtf8(about_author::kInitials), band);
    stack->addWidget(avatar_, 0, Qt::AlignHCenter);

    auto* identity = new QVBoxLayout;
    identity->setSpacing(6);
    auto* name = label(QString::fromUtf8(about_author::kName), ViewFonts::system(22, QFont::Bold), band);
    setTextColor(name, Qt::white);
    identity->addWidget(name, 0, Qt::AlignHCenter);
    auto* job = label(QString::fromUtf8(about_author::kJobTitle), ViewFonts::system(13, QFont::Medium), band);
    setTextColor(job, QColor::fromRgbF(1, 1, 1, 0.75f));
    identity->addWidget(job, 0, Qt::AlignHCenter);

    auto* place = new QHBoxLayout;
    place->setSpacing(6);
    const QColor faded = QColor::fromRgbF(1, 1, 1, 0.6f);
    const QFont caption = ViewFonts::style(ViewFonts::Style::caption);
    auto* pin = new QLabel(band);
    pin->setPixmap(SymbolIcons::pixmap(QStringLiteral("mappin.circle.fill"), faded, caption, devicePixelRatioF()));
    auto* town = label(QString::fromUtf8(about_author::kHomeTown), caption, band);
    setTextColor(town, faded);
    place->addStretch(1);
    place->addWidget(pin);
    place->addWidget(town);
    place->addStretch(1);
    identity->addLayout(place);
    stack->addLayout(identity);
    stack->addStretch(1);
    return band;
}

QWidget* AboutView::buildContent() {
    auto* content = new QWidget(this);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(32, 32, 32, 32);
    column->setSpacing(24);

    auto* me = new SectionCard(content);
    me->column()->addLayout(sectionTitle("person.fill", QStringLiteral("About Me"), me));
    auto* bio = secondaryWrapping(QString::fromUtf8(about_author::kBiography), ViewFonts::Style::callout, me);
    me->column()->addWidget(bio);
    column->addWidget(me);

    auto* program = new SectionCard(content);
    auto* c = program->column();
    c->addLayout(sectionTitle("cursorarrow.click.badge.clock", QStringLiteral("About Clicktrove"), program));
    c->addWidget(secondaryWrapping(tr("Clicktrove is a free, open-source Linux automation tool designed to simulate "
                                      "mouse clicks, drags, scrolls, and macro sequences with precision and "
                                      "reliability."),
                                   ViewFonts::Style::callout, program));
    c->addWidget(divider(program));
    c->addWidget(
        label(tr("Why I built this:"), ViewFonts::style(ViewFonts::Style::subheadline, QFont::DemiBold), program));
    auto* bullets = new QVBoxLayout;
    bullets->setSpacing(8);
    const std::pair<const char*, const char*> rows[] = {
        {"\U0001F5B1\uFE0F", "Automate repetitive clicking tasks without writing any code"},
        {"\U0001F3AE", "Gaming utility \u2014 rapid fire clicks, auto-combos, scheduled actions"},
        {"\U0001F9EA", "UI & regression testing tool for Linux developers"},
        {"\u267F", "Accessibility aid for users with limited motor control"},
        {"\u26A1", "Boost workflow productivity with macro recording and playback"},
    };
    for (const auto& [emoji, text] : rows) {
        bullets->addLayout(bulletRow(QString::fromUtf8(emoji), QString::fromUtf8(text), program));
    }
    c->addLayout(bullets);
    c->addWidget(divider(program));
    auto* tiles = new QHBoxLayout;
    tiles->setSpacing(24);
    tiles->addLayout(infoTile(QStringLiteral("1.0.0"), QStringLiteral("Version"), program));
    tiles->addLayout(infoTile(QStringLiteral("Linux (X11)"), QStringLiteral("Platform"), program));
    tiles->addStretch(1);
    c->addLayout(tiles);
    column->addWidget(program);

    auto* links = new QHBoxLayout;
    links->setSpacing(14);
    websiteCard_ = new AboutLinkCard(QColor::fromHsvF(0.61f, 0.7f, 0.6f), "globe", QStringLiteral("Portfolio"),
                                     QString::fromUtf8(about_author::kWebsiteSubtitle), websiteUrl_, content);
    githubCard_ = new AboutLinkCard(QColor::fromHsvF(0, 0, 0.4f), "chevron.left.forwardslash.chevron.right",
                                    QStringLiteral("GitHub"), QString::fromUtf8(about_author::kGithubSubtitle),
                                    githubUrl_, content);
    links->addWidget(websiteCard_, 1);
    links->addWidget(githubCard_, 1);
    column->addLayout(links);

    auto* footer = new QVBoxLayout;
    footer->setContentsMargins(0, 4, 0, 0);
    footer->setSpacing(6);
    auto* credit =
        label(QString::fromUtf8(about_author::kFooterCredit), ViewFonts::style(ViewFonts::Style::caption), content);
    credit->setForegroundRole(SemanticColors::kSecondaryRole);
    auto* author =
        label(QString::fromUtf8(about_author::kFooterAuthor), ViewFonts::style(ViewFonts::Style::caption2), content);
    setTextColor(author, SemanticColors::withOpacity(SemanticColors::secondaryLabel(palette()), 0.6));
    footer->addWidget(credit, 0, Qt::AlignHCenter);
    footer->addWidget(author, 0, Qt::AlignHCenter);
    column->addLayout(footer);
    return content;
}

}  // namespace clicktrove
