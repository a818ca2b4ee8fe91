#pragma once
// Acts on the next modal window once it shows, for tests that answer the boxes in place of a user.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace korrin::test {

// `Skip` is a modal window already open (the window that opens the box), which is not the one.
inline void WhenModal(std::function<void(QWidget* Modal)> Act, QWidget* Skip = nullptr, int Tries = 500) {
  QTimer::singleShot(10, [=] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != Skip && modal->isVisible()) Act(modal);
    else if (Tries > 0) WhenModal(Act, Skip, Tries - 1);
  });
}

}  // namespace korrin::test
