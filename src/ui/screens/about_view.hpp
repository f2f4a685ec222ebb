#pragma once

#include <QScrollArea>
#include <QUrl>

namespace clicktrove {

class AboutAvatar;
class AboutLinkCard;

// The About tab: a page that scrolls vertically and presents the program and its author, with two link
// cards that open web pages in the desktop's browser. It reads nothing of the program's state.
class AboutView final : public QScrollArea {
    Q_OBJECT
public:
    explicit AboutView(QWidget* parent = nullptr);

    AboutAvatar* avatar() const { return avatar_; }
    AboutLinkCard* websiteCard() const { return websiteCard_; }
    AboutLinkCard* githubCard() const { return githubCard_; }
    bool avatarHovered() const;
    bool websiteHovered() const;
    bool githubHovered() const;
    const QUrl& websiteUrl() const { return websiteUrl_; }
    const QUrl& githubUrl() const { return githubUrl_; }

private:
    QWidget* buildHeader();
    QWidget* buildContent();

    QUrl githubUrl_;
    QUrl websiteUrl_;
    AboutAvatar* avatar_ = nullptr;
    AboutLinkCard* websiteCard_ = nullptr;
    AboutLinkCard* githubCard_ = nullptr;
};

}  // namespace clicktrove
