#pragma once

class QAction;
class QMenu;
class QMenuBar;

namespace qm3270 {

// The menu bar of the main window. Entries with a submenu are QMenus named
// after their design name (their menuAction() carries the name too); entries
// that act are QActions with their design name.
struct MainMenus {
    QMenu* file = nullptr;             // 文件
    QAction* open = nullptr;           // 打开
    QAction* save = nullptr;           // 保存
    QAction* undo = nullptr;           // 撤销: after the designed entries
    QAction* redo = nullptr;           // 重做
    QAction* restore = nullptr;        // 恢复备份
    QAction* importCsv = nullptr;      // 导入CSV, after the designed entries
    QAction* exportCsv = nullptr;      // 导出CSV
    QAction* printSheet = nullptr;     // 打印信道表
    QAction* read = nullptr;           // 读信道
    QAction* write = nullptr;          // 写信道
    QMenu* system = nullptr;           // 系统
    QAction* port = nullptr;           // 端口
    QAction* baudRate = nullptr;       // 波特率: enabled, does nothing
    QAction* verify = nullptr;         // 写后校验: checkable, after the designed entries
    QAction* continuous = nullptr;     // 连续写入: checkable, off at every start
    QAction* operationsLog = nullptr;  // 操作记录
    QAction* exit = nullptr;           // 退出
    QMenu* help = nullptr;             // 帮助
    QAction* instructions = nullptr;   // 操作
    QAction* about = nullptr;          // 关于
};

MainMenus buildMainMenus(QMenuBar* bar);

}  // namespace qm3270
