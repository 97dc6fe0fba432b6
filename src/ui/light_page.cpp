#include "ui/light_page.h"

#include <QColor>
#include <QPalette>
#include <QWidget>

namespace qm3270 {

void useLightPage(QWidget* window) {
    QPalette page = window->palette();
    const QColor paper(240, 240, 240);  // the classic dialog grey
    const QColor ink(Qt::black);
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        page.setColor(group, QPalette::Window, paper);
        page.setColor(group, QPalette::Button, paper);
        page.setColor(group, QPalette::Base, Qt::white);
        page.setColor(group, QPalette::WindowText, ink);
        page.setColor(group, QPalette::ButtonText, ink);
        page.setColor(group, QPalette::Text, ink);
    }
    page.setColor(QPalette::Disabled, QPalette::Window, paper);
    page.setColor(QPalette::Disabled, QPalette::Button, paper);
    window->setPalette(page);
    window->setAutoFillBackground(true);
}

}  // namespace qm3270
