#include "ui/about_window.h"

#include "channels/user_message.h"
#include "sheet/fonts.h"
#include "ui/light_page.h"
#include "ui/message_presenter.h"
#include "ui/program_icon.h"

#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QProcess>
#include <QPushButton>

#include <optional>

#ifdef Q_OS_WIN
#include <QFileInfo>
#include <QSettings>
#else
#include <QStandardPaths>
#endif

namespace qm3270 {

namespace {

const QString kProductName = QStringLiteral("QM3270");
const QString kSysInfoUnavailable = QStringLiteral("此时系统信息不可用");

constexpr int px(int twips) {
    return twips / 15;
}

// Line1: the etched rule under the texts, a grey line with a white one below it
// shifted one pixel to the right.
class EtchedRule : public QWidget {
public:
    explicit EtchedRule(QWidget* parent) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.drawLine(0, 0, width() - 1, 0);
        painter.setPen(Qt::white);
        painter.drawLine(1, 1, width() - 1, 1);
    }
};

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, QRect geometry,
                 qreal pointSize, const char* color) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setFont(kaiFont(pointSize));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (color != nullptr) {
        label->setStyleSheet(QStringLiteral("color: %1").arg(QLatin1String(color)));
    }
    return label;
}

QRect twipRect(int left, int top, int width, int height) {
    return {px(left), px(top), px(width), px(height)};
}

#ifdef Q_OS_WIN
// A string value under HKEY_LOCAL_MACHINE. Values of any other type count as
// missing: the tool's path is only ever stored as a string.
std::optional<QString> localMachineString(const QString& keyPath, const QString& valueName) {
    const QSettings key(QStringLiteral("HKEY_LOCAL_MACHINE\\") + keyPath, QSettings::NativeFormat);
    const QVariant value = key.value(valueName);
    if (value.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return value.toString();
}

std::optional<QString> findSysInfoTool() {
    if (auto path = localMachineString(QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                                       QStringLiteral("PATH"))) {
        return path;
    }
    const auto folder = localMachineString(
        QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"), QStringLiteral("MSINFO"));
    if (!folder) {
        return std::nullopt;
    }
    const QString path = *folder + QStringLiteral("\\MSINFO32.EXE");
    if (!QFileInfo::exists(path)) {
        return std::nullopt;
    }
    return path;
}
#else
// The desktop's own system-information tools, in order of how much they tell.
std::optional<QString> findSysInfoTool() {
    for (const char* name : {"hardinfo", "kinfocenter", "gnome-system-monitor"}) {
        const QString path = QStandardPaths::findExecutable(QLatin1String(name));
        if (!path.isEmpty()) {
            return path;
        }
    }
    return std::nullopt;
}
#endif

QPointer<frmAbout> openWindow;

}  // namespace

frmAbout::frmAbout(std::shared_ptr<MessagePresenter> messages)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      messages_(std::move(messages)) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于本软件"));
    setWindowIcon(programIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(px(5730), px(3555));
    useLightPage(this);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("picIcon"));
    icon->setGeometry(twipRect(480, 240, 480, 480));
    icon->setPixmap(programIconPixmap(icon->width()));

    addLabel(this, "lblTitle", QStringLiteral("    QM3270写频软件"), twipRect(1320, 240, 3405, 480),
             15, "red");
    addLabel(this, "lblVersion", QStringLiteral("      版本 B 1.1"), twipRect(1200, 720, 3885, 465),
             15, "red");
    addLabel(this, "lblDescription",
             QStringLiteral(
                 "本软件是为QM3270对讲机用户提供的专用工具，用于设置对讲机的工作频率和各项参数。"),
             twipRect(1200, 1320, 3885, 930), 12, "blue")
        ->setWordWrap(true);
    addLabel(this, "lblDisclaimer", QStringLiteral("技术咨询：010-5550 3270"),
             twipRect(120, 2880, 3870, 360), 12, nullptr);

    auto* rule = new EtchedRule(this);
    rule->setObjectName(QStringLiteral("Line1"));
    rule->setGeometry(px(90), px(2445), px(5654) - px(90) + 1, 2);

    auto* okButton = new QPushButton(QStringLiteral("确定"), this);
    okButton->setObjectName(QStringLiteral("cmdOK"));
    okButton->setGeometry(twipRect(4125, 2625, 1500, 345));
    okButton->setDefault(true);  // Enter; Esc rejects the dialog, which closes it too
    connect(okButton, &QPushButton::clicked, this, &QWidget::close);

    auto* sysInfoButton = new QPushButton(QStringLiteral("系统信息(&S)..."), this);
    sysInfoButton->setObjectName(QStringLiteral("cmdSysInfo"));
    sysInfoButton->setGeometry(twipRect(4140, 3075, 1485, 345));
    sysInfoButton->setAutoDefault(false);
    connect(sysInfoButton, &QPushButton::clicked, this, &frmAbout::startSysInfo);
}

void frmAbout::startSysInfo() {
    const std::optional<QString> tool = findSysInfoTool();
    if (tool && QProcess::startDetached(*tool, {})) {
        return;
    }
    messages_->show(this, {kSysInfoUnavailable, kProductName, UserMessage::Icon::None});
}

frmAbout* showAboutWindow(std::shared_ptr<MessagePresenter> messages) {
    if (openWindow.isNull()) {
        if (!messages) {
            messages = std::make_shared<BoxMessagePresenter>();
        }
        openWindow = new frmAbout(std::move(messages));
    }
    openWindow->show();
    openWindow->raise();
    openWindow->activateWindow();
    return openWindow;
}

}  // namespace qm3270
