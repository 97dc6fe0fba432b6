# The layering of src/: one row a folder. A new folder gets a row here before
# its first build; the build stops with the broken rule's text otherwise.
#
#   qm3270_layer(<folder>
#       TARGETS <the folder's targets>
#       USES    <the other src/ folders its code may include and its targets may link>
#       QT      <the Qt modules its code may include>
#       [POSIX] <POSIX-only headers (unistd.h, termios.h, sys/…) allowed outside an #if;
#                without it they must sit behind a platform test such as Q_OS_LINUX>
#       WHY     "<the reason, shown when the rule is broken>")
#
# The core (channels, file, link) has no widgets; the window (ui) has no
# simulator; everything the window links builds where there is no POSIX. The
# order in one line, shown with every broken rule (keep it in step with the rows):
set(QM3270_LAYER_ORDER "channels < file, link < session < ui < app, channels < sheet < ui, file, link < sim < app, cli over session, file, link and sheet")

qm3270_layer(channels
    TARGETS qm3270_channels
    QT Core Sql
    WHY "the core's base: numbers, rules and the store, under everything else")

qm3270_layer(file
    TARGETS qm3270_file
    USES channels
    QT Core
    WHY "the core: the channel file knows the table, nothing above it")

qm3270_layer(link
    TARGETS qm3270_link
    USES channels
    QT Core SerialPort
    WHY "the core: the radio link knows the table, nothing above it")

qm3270_layer(session
    TARGETS qm3270_session
    USES link file channels
    QT Core
    WHY "the core's radio workflow: no window, so the command line can drive it too")

qm3270_layer(sheet
    TARGETS qm3270_sheet
    USES channels
    QT Core Gui
    WHY "the printed sheet draws with Qt Gui only: the command line prints without a display")

qm3270_layer(sim
    TARGETS qm3270_sim qm3270-radio
    USES link file channels
    QT Core
    POSIX
    WHY "the simulator is a program over the core on a pseudo-terminal")

qm3270_layer(ui
    TARGETS qm3270_ui
    USES session sheet link file channels
    QT Core Gui Widgets PrintSupport
    WHY "the window builds without the simulator: only the qm3270 program brings it in")

qm3270_layer(app
    TARGETS qm3270_app qm3270
    USES ui sim session sheet link file channels
    QT Core Gui Widgets
    WHY "the qm3270 program puts the window and the simulator together")

qm3270_layer(cli
    TARGETS qm3270-cli
    USES session sheet link file channels
    QT Core Gui
    POSIX
    WHY "the command line runs where there is no display: no widgets, no window")
