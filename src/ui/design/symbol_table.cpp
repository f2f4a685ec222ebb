#include "ui/design/symbol_table.hpp"

#include <algorithm>

namespace clicktrove {

// Symbol, freedesktop icon, and a glyph that DejaVu Sans has. Each icon is chosen for what the symbol means where
// the screens use it, as Adwaita (the fallback theme, which has every one of them) draws it: a bookmark for the
// saved presets, the record dot for the Recorder, a bar at the screen's edge for the taskbar entry, a no-entry
// sign for the missing input access, the drag grip for Drag & Drop, a speedometer for the click rate. Every
// symbol a screen of the program names is here; a symbol without a fitting icon has an empty icon name and is
// always drawn as its glyph.
SymbolTable SymbolTable::standard() {
    SymbolTable table;
    table.entries_ = {
        // run control
        {"play.fill", "media-playback-start-symbolic", QString::fromUtf8("\u25B6")},
        {"pause.fill", "media-playback-pause-symbolic", QString::fromUtf8("\u275A\u275A")},
        {"stop.fill", "media-playback-stop-symbolic", QString::fromUtf8("\u25A0")},
        {"record.circle", "media-record-symbolic", QString::fromUtf8("\u25C9")},
        {"bolt.fill", "power-profile-performance-symbolic", QString::fromUtf8("\u26A1")},
        {"timer", "preferences-system-time-symbolic", QString::fromUtf8("\u25F4")},
        {"target", "find-location-symbolic", QString::fromUtf8("\u25CE")},
        {"infinity", "", QString::fromUtf8("\u221E")},
        {"hand.raised.fill", "action-unavailable-symbolic", QString::fromUtf8("\u261D")},
        {"hand.draw.fill", "list-drag-handle-symbolic", QString::fromUtf8("\u261B")},
        // pointer and targets
        {"cursorarrow", "input-mouse-symbolic", QString::fromUtf8("\u2196")},
        {"cursorarrow.click.2", "input-mouse-symbolic", QString::fromUtf8("\u2196")},
        {"cursorarrow.click.badge.clock", "input-mouse-symbolic", QString::fromUtf8("\u2196")},
        {"location.circle.fill", "find-location-symbolic", QString::fromUtf8("\u25CE")},
        {"mappin.circle.fill", "mark-location-symbolic", QString::fromUtf8("\u25C9")},
        {"largecircle.fill.circle", "radio-checked-symbolic", QString::fromUtf8("\u25C9")},
        {"circle", "radio-symbolic", QString::fromUtf8("\u25CB")},
        // time
        {"clock.fill", "preferences-system-time-symbolic", QString::fromUtf8("\u25F7")},
        {"clock.arrow.circlepath", "document-open-recent-symbolic", QString::fromUtf8("\u27F2")},
        {"clock.badge.exclamationmark", "alarm-symbolic", QString::fromUtf8("\u25F7")},
        {"calendar.badge.clock", "x-office-calendar-symbolic", QString::fromUtf8("\u25A6")},
        // sections and tabs
        {"tray.2", "user-bookmarks-symbolic", QString::fromUtf8("\u25A4")},
        {"tray.2.fill", "user-bookmarks-symbolic", QString::fromUtf8("\u25A4")},
        {"waveform", "media-record-symbolic", QString::fromUtf8("\u25C9")},
        {"gearshape.fill", "emblem-system-symbolic", QString::fromUtf8("\u2699")},
        {"gearshape.2.fill", "emblem-system-symbolic", QString::fromUtf8("\u2699")},
        {"person.fill", "avatar-default-symbolic", QString::fromUtf8("\u263A")},
        {"person.crop.circle.fill", "avatar-default-symbolic", QString::fromUtf8("\u263A")},
        {"slider.horizontal.3", "preferences-system-symbolic", QString::fromUtf8("\u2261")},
        {"slider.horizontal.2.square", "preferences-system-symbolic", QString::fromUtf8("\u2261")},
        {"paintpalette.fill", "applications-graphics-symbolic", QString::fromUtf8("\u25D0")},
        {"speaker.fill", "audio-volume-low-symbolic", QString::fromUtf8("\u266A")},
        {"speaker.wave.2.fill", "audio-volume-high-symbolic", QString::fromUtf8("\u266A")},
        {"lock.shield.fill", "changes-prevent-symbolic", QString::fromUtf8("\u25A3")},
        {"checkmark.shield.fill", "security-high-symbolic", QString::fromUtf8("\u2714")},
        {"exclamationmark.shield.fill", "dialog-warning-symbolic", QString::fromUtf8("\u26A0")},
        {"power", "system-shutdown-symbolic", QString::fromUtf8("\u263C")},
        {"dock.rectangle", "focus-top-bar-symbolic", QString::fromUtf8("\u25AD")},
        {"arrow.down.right.and.arrow.up.left", "view-restore-symbolic", QString::fromUtf8("\u2922")},
        {"arrow.counterclockwise", "edit-undo-symbolic", QString::fromUtf8("\u21BA")},
        {"arrow.clockwise", "view-refresh-symbolic", QString::fromUtf8("\u21BB")},
        {"rectangle.badge.plus", "window-new-symbolic", QString::fromUtf8("\u229E")},
        {"rectangle.badge.minus", "window-minimize-symbolic", QString::fromUtf8("\u229F")},
        {"play.rectangle.on.hotspot", "media-playlist-repeat-symbolic", QString::fromUtf8("\u25B6")},
        // actions
        {"info.circle", "help-about-symbolic", QString::fromUtf8("\u2139")},
        {"xmark", "window-close-symbolic", QString::fromUtf8("\u2715")},
        {"checkmark", "object-select-symbolic", QString::fromUtf8("\u2713")},
        {"checkmark.circle.fill", "emblem-default-symbolic", QString::fromUtf8("\u2714")},
        {"xmark.octagon.fill", "dialog-error-symbolic", QString::fromUtf8("\u2716")},
        {"plus", "list-add-symbolic", QString::fromUtf8("+")},
        {"plus.circle", "list-add-symbolic", QString::fromUtf8("\u2295")},
        {"plus.square.on.square", "edit-copy-symbolic", QString::fromUtf8("\u2750")},
        {"pencil", "document-edit-symbolic", QString::fromUtf8("\u270E")},
        {"trash", "user-trash-symbolic", QString::fromUtf8("\u232B")},
        {"star", "non-starred-symbolic", QString::fromUtf8("\u2606")},
        {"star.fill", "starred-symbolic", QString::fromUtf8("\u2605")},
        {"square.and.arrow.up", "send-to-symbolic", QString::fromUtf8("\u21E7")},
        {"square.and.arrow.down", "document-save-symbolic", QString::fromUtf8("\u21E9")},
        {"arrow.up.doc", "document-send-symbolic", QString::fromUtf8("\u2B06")},
        {"arrow.down.doc", "document-open-symbolic", QString::fromUtf8("\u2B07")},
        {"arrow.down.circle", "folder-download-symbolic", QString::fromUtf8("\u21E9")},
        {"arrow.up.right", "go-jump-symbolic", QString::fromUtf8("\u2197")},
        {"arrow.up.right.square", "go-jump-symbolic", QString::fromUtf8("\u2197")},
        {"chevron.left.forwardslash.chevron.right", "utilities-terminal-symbolic", QStringLiteral("</>")},
        {"globe", "web-browser-symbolic", QString::fromUtf8("\u25CD")},
    };
    return table;
}

const SymbolIcon* SymbolTable::find(const QString& symbol) const {
    const auto it =
        std::find_if(entries_.begin(), entries_.end(), [&](const SymbolIcon& e) { return e.symbol == symbol; });
    return it == entries_.end() ? nullptr : &*it;
}

void SymbolTable::registerSymbol(const SymbolIcon& entry) {
    const auto it =
        std::find_if(entries_.begin(), entries_.end(), [&](const SymbolIcon& e) { return e.symbol == entry.symbol; });
    if (it != entries_.end()) {
        *it = entry;
    } else {
        entries_.push_back(entry);
    }
}

}  // namespace clicktrove
