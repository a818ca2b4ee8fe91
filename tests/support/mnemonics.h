#pragma once
// The Alt keys of a window as a user finds them: the character after a single '&' in the caption
// of each button and check box and of each label that names an input, with the widget it belongs to.
#include <QAbstractButton>
#include <QLabel>
#include <QMultiMap>
#include <QWidget>

namespace korrin::test {

inline QChar MnemonicOf(const QString& caption) {
  for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != QLatin1Char('&')) continue;
    if (caption[i + 1] != QLatin1Char('&')) return caption[i + 1].toUpper();
    ++i;  // "&&" is a shown ampersand
  }
  return {};
}

// Key: the upper-case mnemonic; value: the object name of its button or label.
inline QMultiMap<QChar, QString> Mnemonics(QWidget* window) {
  QMultiMap<QChar, QString> keys;
  const auto add = [&](QWidget* w, const QString& caption) {
    if (const QChar key = MnemonicOf(caption); !key.isNull()) keys.insert(key, w->objectName());
  };
  for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) add(b, b->text());
  for (QLabel* l : window->findChildren<QLabel*>())
    if (l->buddy()) add(l, l->text());
  return keys;
}

// "K: a, b" for every key that more than one control of the window claims.
inline QStringList RepeatedMnemonics(QWidget* window) {
  const QMultiMap<QChar, QString> keys = Mnemonics(window);
  QStringList repeated;
  for (const QChar key : keys.uniqueKeys())
    if (keys.count(key) > 1)
      repeated << QString(key) + QStringLiteral(": ") + keys.values(key).join(QStringLiteral(", "));
  return repeated;
}

}  // namespace korrin::test
