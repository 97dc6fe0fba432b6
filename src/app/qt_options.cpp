#include "app/qt_options.h"

#include <array>

namespace qm3270 {

namespace {

// Qt's own options that take a value, and those that stand alone.
constexpr std::array kWithValue{
    u"platform",
    u"platformpluginpath",
    u"platformtheme",
    u"plugin",
    u"qwindowgeometry",
    u"qwindowicon",
    u"qwindowtitle",
    u"style",
    u"stylesheet",
    u"session",
    u"display",
    u"geometry",
    u"title",
    u"font",
    u"fn",
    u"background",
    u"bg",
    u"foreground",
    u"fg",
    u"button",
    u"btn",
    u"name",
    u"visual",
    u"im",
    u"inputstyle",
    u"qmljsdebugger",
};
constexpr std::array kAlone{u"reverse", u"widgetcount", u"nograb", u"dograb",
                            u"sync",    u"ncols",       u"cmap"};

template <std::size_t N>
bool named(const std::array<const char16_t*, N>& names, QStringView option) {
    for (const char16_t* name : names) {
        if (option == QStringView(name)) {
            return true;
        }
    }
    return false;
}

}  // namespace

QStringList withoutQtOptions(const QStringList& arguments) {
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QStringLiteral("--")) {
            kept << arguments.mid(i);  // file names only from here on
            break;
        }
        if (i == 0 || !argument.startsWith(u'-')) {
            kept << argument;
            continue;
        }
        QStringView option = QStringView(argument).mid(argument.startsWith(u"--") ? 2 : 1);
        const qsizetype equals = option.indexOf(u'=');
        const bool valueAttached = equals >= 0;
        if (valueAttached) {
            option = option.left(equals);
        }
        if (named(kWithValue, option)) {
            if (!valueAttached) {
                ++i;  // the value follows
            }
            continue;
        }
        if (named(kAlone, option) && !valueAttached) {
            continue;
        }
        kept << argument;
    }
    return kept;
}

}  // namespace qm3270
