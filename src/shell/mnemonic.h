#pragma once

#include <QString>

namespace tarnwick {

// The caption with its first `letter` (of either case) marked as the Alt key's mnemonic; the
// caption as it was when it has no such letter.
inline QString WithMnemonic(const QString& caption, QChar letter) {
  const qsizetype at = caption.indexOf(letter, 0, Qt::CaseInsensitive);
  if (at < 0) return caption;
  return caption.left(at) + QLatin1Char('&') + caption.mid(at);
}

}  // namespace tarnwick
