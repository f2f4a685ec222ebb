#pragma once

namespace clicktrove::about_author {

// Who the About page presents. Kept apart from the layout so the page's author can be changed in one place.
inline constexpr const char* kInitials = "CT";
inline constexpr const char* kName = "The Clicktrove Developers";
inline constexpr const char* kJobTitle = "Open-source desktop tools for Linux";
inline constexpr const char* kHomeTown = "Made for the Linux desktop";
inline constexpr const char* kBiography =
    "We build small, dependable tools for people who spend their day at a Linux desktop. Clicktrove started as a "
    "way to take the tedium out of repetitive clicking in games, tests and office work, and grew into a precise "
    "auto-clicker with presets, macros and a history of every run.";
inline constexpr const char* kWebsiteUrl = "https://clicktrove.example.org/";
inline constexpr const char* kWebsiteSubtitle = "clicktrove.example.org";
inline constexpr const char* kGithubUrl = "https://code.clicktrove.example.org/";
inline constexpr const char* kGithubSubtitle = "code.clicktrove.example.org";
inline constexpr const char* kFooterCredit = "Clicktrove, free software for the Linux desktop.";
inline constexpr const char* kFooterAuthor = "Made with care by the Clicktrove developers.";

}  // namespace clicktrove::about_author
