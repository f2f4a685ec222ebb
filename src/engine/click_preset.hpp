#pragma once

#include "engine/click_config.hpp"
#include "engine/date.hpp"
#include "engine/uuid.hpp"

#include <string>
#include <utility>

namespace clicktrove {

// A named, saved configuration. The identifier is what the last active preset is remembered by.
struct ClickPreset {
    Uuid id;
    std::string name;
    ClickConfig config;
    bool isFavorite = false;
    Date createdAt;

    // A new preset with a fresh random identifier.
    ClickPreset(std::string name, ClickConfig config, bool isFavorite, Date createdAt)
        : ClickPreset(Uuid::random(), std::move(name), std::move(config), isFavorite, createdAt) {}
    // A preset that keeps a known identifier (a decoded one, for instance).
    ClickPreset(Uuid id, std::string name, ClickConfig config, bool isFavorite, Date createdAt)
        : id(id), name(std::move(name)), config(std::move(config)), isFavorite(isFavorite), createdAt(createdAt) {}

    friend bool operator==(const ClickPreset&, const ClickPreset&) = default;
};

}  // namespace clicktrove
