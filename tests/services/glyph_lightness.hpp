#pragma once

class QIcon;

namespace clicktrove::testing {

// The lightness (0 to 255) of the opaque pixels of a tray glyph drawn at 22 pixels: it tells which panels the
// glyph is drawn for. Fails the running test when hardly anything is drawn.
int glyphLightness(const QIcon& icon);

}  // namespace clicktrove::testing
