#include "helpctrl/HelpWindow.h"

#include "helpctrl/FrenchQtTexts.h"
#include "helpctrl/HelpIcons.h"
#include "helpctrl/HelpView.h"
#include "helpctrl/NavigationPanes.h"
#include "helpctrl/WindowRecord.h"
#include "texts/French.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QWindow>
#include <algorithm>

namespace {
constexpr int DefaultWidth = 860;
constexpr int DefaultHeight = 600;
constexpr int DefaultPaneWidth = 240;

// The frame the window manager puts around windows: the frame of a window already on the screen
// (the player's), or of `window` itself once it is shown; none before any window is.
QMargins FrameMargins(const QWindow* window)
{
    if (window != nullptr && window->isVisible())
        return window->frameMargins();
    for (const QWindow* shown : QGuiApplication::topLevelWindows())
        if (shown->isVisible() && !shown->frameMargins().isNull())
            return shown->frameMargins();
    return {};
}

// The inside of a window, no larger than the screens' available area and moved onto it, frame
// included: a record made on a larger screen, or a damaged one, never puts the title bar or the
// edges out of reach (nor makes a window too large to draw).
QRect FitToScreens(QRect place, const QMargins& frame)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return place;
    const QRect area = screen->availableVirtualGeometry().marginsRemoved(frame);
    if (area.isEmpty())
        return place;
    place.setSize(place.size().boundedTo(area.size()));
    place.moveLeft(std::clamp(place.left(), area.left(), area.left() + area.width() - place.width()));
    place.moveTop(std::clamp(place.top(), area.top(), area.top() + area.height() - place.height()));
    return place;
}
} // namespace

HelpWindow::HelpWindow(std::unique_ptr<ChmFile> file)
    : m_File(std::move(file)), m_Splitter(new QSplitter(Qt::Horizontal, this)),
      m_Tabs(new QTabWidget(m_Splitter)), m_View(new HelpView(*m_File, m_Splitter))
{
    setObjectName(QStringLiteral("HelpWindow"));
    const std::string& title = m_File->Title();
    const std::string& path = m_File->PosixPath();
    setWindowTitle(QString::fromUtf8(title.empty() ? path.substr(path.find_last_of('/') + 1) : title));
    m_View->setObjectName(QStringLiteral("topic"));
    m_Tabs->setObjectName(QStringLiteral("navigation"));
    m_Splitter->setChildrenCollapsible(false);
    m_Splitter->setStretchFactor(1, 1);
    setCentralWidget(m_Splitter);
    BuildPanes();
    BuildToolBar();
    // The contents follow the topic shown, however it came (a link, the index, Back).
    connect(m_View, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
        if (m_Contents == nullptr)
            return;
        const std::string page = m_File->FindTopic(url.path().toStdString());
        m_Contents->Follow(url.hasFragment() ? page + "#" + url.fragment().toStdString() : page);
    });
    Restore();
    // Qt's own context menus (the page's, the fields', the scroll bars') are made in French.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

HelpWindow::~HelpWindow()
{
    if (isVisible())
        Save();
    // The view and the panes read the file: they go before it does.
    delete m_Splitter;
}

void HelpWindow::BuildPanes()
{
    const auto show = [this](const std::string& topic, std::vector<std::string> words) {
        Show(topic, std::move(words));
    };
    if (!m_File->Contents().empty()) {
        m_Contents = new ContentsPane(m_File->Contents(), show, m_Tabs);
        m_Tabs->addTab(m_Contents, QString::fromUtf8(Texts::HelpContentsTab));
    }
    if (!m_File->Keywords().empty())
        m_Tabs->addTab(new IndexPane(m_File->Keywords(), show, m_Tabs),
                       QString::fromUtf8(Texts::HelpIndexTab));
    if (!m_File->Search().Topics().empty())
        m_Tabs->addTab(new SearchPane(m_File->Search(), show, m_Tabs),
                       QString::fromUtf8(Texts::HelpSearchTab));
    // A file with nothing to navigate by shows its topics alone.
    m_Tabs->setVisible(m_Tabs->count() > 0);
}

void HelpWindow::BuildToolBar()
{
    QToolBar* bar = addToolBar(QString::fromUtf8(Texts::HelpToolbar));
    bar->setObjectName(QStringLiteral("toolbar"));
    bar->setMovable(false);
    bar->toggleViewAction()->setVisible(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    const auto add = [bar](const QIcon& icon, const QString& text, const char* name, const QKeySequence& keys,
                           const QString& tip) {
        QAction* action = bar->addAction(icon, text);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(keys);
        action->setToolTip(tip);
        return action;
    };
    m_PaneAction = add(HelpIcons::Pane(), QString::fromUtf8(Texts::HelpHidePane), "pane", QKeySequence(),
                       QString::fromUtf8(Texts::HelpHidePaneTip));
    m_PaneAction->setVisible(m_Tabs->count() > 0);
    connect(m_PaneAction, &QAction::triggered, this, [this] { SetPaneShown(m_Tabs->isHidden()); });
    QAction* back = add(HelpIcons::Arrow(false), QString::fromUtf8(Texts::HelpBack), "back",
                        QKeySequence(Qt::ALT | Qt::Key_Left), QString::fromUtf8(Texts::HelpBackTip));
    QAction* forward = add(HelpIcons::Arrow(true), QString::fromUtf8(Texts::HelpForward), "forward",
                           QKeySequence(Qt::ALT | Qt::Key_Right), QString::fromUtf8(Texts::HelpForwardTip));
    QAction* home = add(HelpIcons::Home(), QString::fromUtf8(Texts::HelpHome), "home",
                        QKeySequence(Qt::ALT | Qt::Key_Home), QString::fromUtf8(Texts::HelpHomeTip));
    QAction* print = add(HelpIcons::Print(), QString::fromUtf8(Texts::HelpPrint), "print",
                         QKeySequence(Qt::CTRL | Qt::Key_P), QString::fromUtf8(Texts::HelpPrintTip));
    back->setEnabled(false);
    forward->setEnabled(false);
    home->setEnabled(!m_File->DefaultTopic().empty());
    connect(m_View, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_View, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(back, &QAction::triggered, m_View, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, m_View, &QTextBrowser::forward);
    connect(home, &QAction::triggered, this, [this] { Show(m_File->DefaultTopic(), {}); });
    connect(print, &QAction::triggered, this, &HelpWindow::Print);
}

void HelpWindow::ShowTopic(const std::string& topic)
{
    Show(topic, {});
    // A window the user closed opens again where it was, as a new one would.
    if (m_WasShown && !isVisible() && restoreGeometry(m_Place))
        KeepOnScreens();
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void HelpWindow::Show(const std::string& topic, std::vector<std::string> words)
{
    if (!topic.empty())
        m_View->ShowTopic(topic, std::move(words));
}

void HelpWindow::SetPaneShown(bool shown)
{
    if (m_Tabs->count() == 0)
        return;
    if (!shown && !m_Tabs->isHidden())
        m_PaneState = m_Splitter->saveState();
    m_Tabs->setVisible(shown);
    if (shown)
        ShowPaneAsItWas();
    m_PaneShown = shown;
    m_PaneAction->setText(shown ? QString::fromUtf8(Texts::HelpHidePane)
                                : QString::fromUtf8(Texts::HelpShowPane));
    m_PaneAction->setToolTip(shown ? QString::fromUtf8(Texts::HelpHidePaneTip)
                                   : QString::fromUtf8(Texts::HelpShowPaneTip));
}

// The pane takes the width it last had, or its first width; the topic takes the rest.
void HelpWindow::ShowPaneAsItWas()
{
    if (m_PaneState.isEmpty() || !m_Splitter->restoreState(m_PaneState))
        m_Splitter->setSizes({DefaultPaneWidth, std::max(1, m_Splitter->width() - DefaultPaneWidth)});
}

bool HelpWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ContextMenu || m_InFrench)
        return QMainWindow::eventFilter(watched, event);
    // Qt makes the menu while it handles the event: it is handled here once more, in French.
    const FrenchQtTexts french;
    m_InFrench = true;
    QCoreApplication::sendEvent(watched, event);
    m_InFrench = false;
    return true;
}

void HelpWindow::Print()
{
    const FrenchQtTexts french;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(m_View->documentTitle().isEmpty() ? windowTitle() : m_View->documentTitle());
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QString::fromUtf8(Texts::HelpPrintTitle));
    if (m_View->textCursor().hasSelection())
        dialog.setOption(QAbstractPrintDialog::PrintSelection);
    if (dialog.exec() == QDialog::Accepted)
        m_View->print(&printer);
}

void HelpWindow::Restore()
{
    resize(DefaultWidth, DefaultHeight);
    const std::optional<WindowRecord> record = LoadWindowRecord();
    if (!record || !restoreGeometry(record->Geometry))
        return; // a geometry Qt cannot read leaves the window as it was
    KeepOnScreens();
    m_PaneState = record->Splitter;
    m_PaneShown = record->PaneShown;
}

// Qt puts a saved geometry back onto today's screens; the window is also kept within their
// available area, frame included, so that a foreign record never makes it too large.
void HelpWindow::KeepOnScreens()
{
    if (isMaximized() || isFullScreen())
        return;
    if (const QRect fitted = FitToScreens(geometry(), FrameMargins(windowHandle())); fitted != geometry())
        setGeometry(fitted);
}

void HelpWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_WasShown || event->spontaneous())
        return;
    // The pane's width is set once the window has its size, so the topic takes the rest.
    m_WasShown = true;
    ShowPaneAsItWas();
    SetPaneShown(m_PaneShown);
}

void HelpWindow::closeEvent(QCloseEvent* event)
{
    Save();
    QMainWindow::closeEvent(event);
}

void HelpWindow::Save()
{
    if (!m_WasShown)
        return;
    if (!m_Tabs->isHidden())
        m_PaneState = m_Splitter->saveState();
    KeepOnScreens();
    m_Place = saveGeometry();
    SaveWindowRecord({m_Place, m_PaneState, m_PaneShown});
}
