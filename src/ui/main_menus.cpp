#include "ui/main_menus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace qm3270 {
namespace {

// The captions carry their blanks: the leading runs space the entries out
// along the bar.
QMenu* submenu(QMenuBar* bar, const char* name, const char* caption) {
    auto* menu = new QMenu(QString::fromUtf8(caption), bar);
    menu->setObjectName(QString::fromUtf8(name));
    menu->menuAction()->setObjectName(QString::fromUtf8(name));
    bar->addMenu(menu);
    return menu;
}

QAction* entry(QWidget* owner, const char* name, const char* caption) {
    auto* action = new QAction(QString::fromUtf8(caption), owner);
    action->setObjectName(QString::fromUtf8(name));
    owner->addAction(action);
    return action;
}

}  // namespace

MainMenus buildMainMenus(QMenuBar* bar) {
    MainMenus m;
    m.file = submenu(bar, "文件", "       文件(&F)");
    m.open = entry(m.file, "打开", "打开文件(&O)");
    m.save = entry(m.file, "保存", "保存文件(&V)");
    m.open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m.save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    // Entries of our own follow the designed ones, set apart.
    m.file->addSeparator();
    m.undo = entry(m.file, "撤销", "撤销(&U)");
    m.undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m.redo = entry(m.file, "重做", "重做(&Y)");
    m.redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    m.file->addSeparator();
    m.restore = entry(m.file, "恢复备份", "恢复备份(&B)...");
    m.importCsv = entry(m.file, "导入CSV", "导入 CSV(&I)...");
    m.exportCsv = entry(m.file, "导出CSV", "导出 CSV(&X)...");
    m.printSheet = entry(m.file, "打印信道表", "打印信道表(&P)...");
    m.printSheet->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    m.read = entry(bar, "读信道", "        读信道数据(&R)");
    m.write = entry(bar, "写信道", "        写信道数据(&W)");
    m.system = submenu(bar, "系统", "        系统设置(&S)");
    m.port = entry(m.system, "端口", "选择端口(&P)");
    m.baudRate = entry(m.system, "波特率", "波特率(&B)");
    m.system->addSeparator();
    m.verify = entry(m.system, "写后校验", "写后校验(&C)");
    m.verify->setCheckable(true);
    m.continuous = entry(m.system, "连续写入", "连续写入(&L)");
    m.continuous->setCheckable(true);
    m.operationsLog = entry(m.system, "操作记录", "操作记录(&G)...");
    m.exit = entry(bar, "退出", "       退出系统(&E)");
    m.help = submenu(bar, "帮助", "       帮助(&H)");
    m.instructions = entry(m.help, "操作", "操作说明(&I)");
    m.about = entry(m.help, "关于", "关于本软件(&A)");
    return m;
}

}  // namespace qm3270
