#pragma once

#include <QString>
#include <vector>

namespace clicktrove {

// The screens name their icons by the symbol names of the original design ("play.fill", "info.circle"). An
// entry turns such a name into a freedesktop icon-theme name and, for a theme that lacks that icon, a glyph
// drawn with the font.
struct SymbolIcon {
    QString symbol;
    QString themeIcon;  // freedesktop name, normally a "-symbolic" one
    QString glyph;      // one or two characters that the stock fonts carry
};

// A table of symbols, looked up by name. SymbolIcons draws from one process-wide table made by standard().
class SymbolTable {
public:
    // Every symbol a screen of the program names, in a fixed order.
    static SymbolTable standard();

    const std::vector<SymbolIcon>& entries() const { return entries_; }
    // The entry of that symbol; null when there is none.
    const SymbolIcon* find(const QString& symbol) const;
    // Adds an entry, or replaces the one of the same symbol in its place.
    void registerSymbol(const SymbolIcon& entry);

private:
    std::vector<SymbolIcon> entries_;
};

}  // namespace clicktrove
