#pragma once
// How readable the texts of a window are as painted: for each text-bearing widget, the contrast
// ratio (as WCAG reckons it) between the colour that fills most of its area, the background, and
// the colour that stands out most from it, the text, measured on a rendering of the window; and
// the dark palette a desktop gives, for the tests that paint under it.
#include <QAbstractButton>
#include <QCheckBox>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace korrin::test {

inline double Luminance(QRgb c) {
  const auto channel = [](int v) {
    const double s = v / 255.0;
    return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

inline double ContrastRatio(QRgb a, QRgb b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The text against the background within `area` of `image`.
inline double TextContrast(const QImage& image, const QRect& area) {
  QHash<QRgb, int> counts;
  const QRect inside = area & image.rect();
  for (int y = inside.top(); y <= inside.bottom(); ++y)
    for (int x = inside.left(); x <= inside.right(); ++x) ++counts[image.pixel(x, y) | 0xFF000000u];
  if (counts.isEmpty()) return 0;
  QRgb background = counts.begin().key();
  for (auto it = counts.begin(); it != counts.end(); ++it)
    if (it.value() > counts[background]) background = it.key();
  double best = 1;
  for (auto it = counts.begin(); it != counts.end(); ++it) best = std::max(best, ContrastRatio(it.key(), background));
  return best;
}

// Dark window and base, light text, a light link: a dark desktop theme.
inline QPalette DarkPalette() {
  QPalette p;
  const QColor window(0x2B, 0x2B, 0x2B), base(0x1E, 0x1E, 0x1E), text(0xE8, 0xE8, 0xE8);
  for (const auto role : {QPalette::Window, QPalette::Button, QPalette::AlternateBase, QPalette::ToolTipBase})
    p.setColor(role, window);
  p.setColor(QPalette::Base, base);
  for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText,
                          QPalette::BrightText, QPalette::HighlightedText})
    p.setColor(role, text);
  p.setColor(QPalette::Highlight, QColor(0x3A, 0x6E, 0xA5));
  p.setColor(QPalette::Link, QColor(0x8A, 0xB4, 0xF8));
  p.setColor(QPalette::LinkVisited, QColor(0xC5, 0x8A, 0xF9));
  p.setColor(QPalette::PlaceholderText, QColor(0xA0, 0xA0, 0xA0));
  for (const auto role : {QPalette::Light, QPalette::Midlight}) p.setColor(role, QColor(0x50, 0x50, 0x50));
  for (const auto role : {QPalette::Mid, QPalette::Dark, QPalette::Shadow}) p.setColor(role, QColor(0x14, 0x14, 0x14));
  p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
  p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
  p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
  return p;
}

// "name 'text': ratio" for every visible, enabled label, check box and radio button of `window`
// whose text reads below `minimum` against its background as painted.
inline QStringList UnreadableTexts(QWidget* window, double minimum = 4.5) {
  const QImage image = window->grab().toImage();
  QStringList found;
  const auto check = [&](QWidget* w, const QString& text, QRect area) {
    if (!w->isVisibleTo(window) || !w->isEnabled() || text.trimmed().isEmpty() || area.isEmpty()) return;
    area.moveTopLeft(w->mapTo(window, area.topLeft()));
    const double ratio = TextContrast(image, area);
    if (ratio < minimum) found << QStringLiteral("%1 '%2': %3").arg(w->objectName(), text).arg(ratio, 0, 'f', 2);
  };
  for (QLabel* label : window->findChildren<QLabel*>())
    if (!label->movie() && label->pixmap().isNull()) check(label, label->text(), label->contentsRect());
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const bool radio = qobject_cast<QRadioButton*>(button) != nullptr;
    const bool box = radio || qobject_cast<QCheckBox*>(button) != nullptr;
    const QRect area = box ? button->style()->subElementRect(
                                 radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, button)
                           : button->rect().adjusted(3, 3, -3, -3);
    check(button, button->text(), area);
  }
  return found;
}

}  // namespace korrin::test
