#include "app/principale.h"

#include "common/PathHelpers.h"
#include "platform/components/Application.h"
#include "platform/components/Glyphs.h"
#include "platform/components/MessageBox.h"
#include "platform/components/ScopedFlag.h"
#include "platform/paths/SpecialFolders.h"
#include "platform/profiles/IniFiles.h"
#include "texts/French.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>

bool PlayActive = false;
int32_t PlayIndex = 0;
std::string SourceDir;
std::string CurrentFile;
std::string CurrentPath;

namespace {
const char* const PublisherAddress = "http://www.quelmo.example";
}

// The glyphs live in a static library's resources, which must be registered before first use.
static void InitGlyphResources()
{
    Q_INIT_RESOURCE(principale);
}

TForm1::TForm1(QWidget* parent) : QWidget(parent)
{
    InitGlyphResources();
    setupUi(this);
    // The window has one size: its title bar offers no maximise button, only the system menu,
    // minimise and close.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    SetFontsAndGlyphs();
    TApplication* app = TApplication::Instance();
    if (app != nullptr)
        app->AddForm(this);
    RunHandler([this] { FormCreate(); });
}

namespace {

QFont DesignFont(const char* family, int pixels, bool bold = false, bool italic = false)
{
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

} // namespace

// The window's fonts and glyphs are set here rather than in its description: the description gives
// a size in pixels only through style sheets, which make every widget slower to polish and draw, and
// an icon it names is offered to every image plugin before it is read. Both delayed the first frame.
void TForm1::SetFontsAndGlyphs()
{
    setFont(DesignFont("MS Sans Serif", 11));
    // A menu is a window of its own, which takes no font from its owner unless told to.
    PPMenuTray->setFont(font());
    LabSource->setFont(DesignFont("Arial", 13, true));
    LSource->setFont(DesignFont("Arial", 16));
    for (QPushButton* button : {BtnL, BitBtn3, BtnS})
        button->setFont(DesignFont("Arial", 13, false, true));
    LabInfo1->setFont(DesignFont("Arial", 13, true, true));
    LabInfo2->setFont(DesignFont("Arial", 16, true));

    setWindowIcon(QIcon(ResourceBitmap(":/glyphs/quelmo.png")));
    const std::pair<QPushButton*, const char*> buttons[] = {
        {BtnL, "lecture"},   {BitBtn3, "pause"},   {BtnS, "stop"},
        {BitBtn1, "fermer"}, {BitBtn2, "apropos"}, {BitBtn4, "reduire"},
    };
    for (const auto& [button, glyph] : buttons) {
        button->setIcon(QIcon(ResourceBitmap(QString(":/glyphs/%1.bmp").arg(QLatin1String(glyph)))));
        MakeGlyphTransparent(button);
    }
    Agran1->setIcon(QIcon(ResourceBitmap(":/glyphs/restaurer.bmp")));
    Quitter1->setIcon(QIcon(ResourceBitmap(":/glyphs/quitter.bmp")));
}

TForm1::~TForm1()
{
    if (TApplication* app = TApplication::Instance())
        app->SetSaveAtAbruptExit(nullptr);
    // A window that never showed (the program ended during its start-up) has read no settings:
    // saving its lists' first state would overwrite where the user was.
    if (m_Shown)
        RunHandler([this] { FormDestroy(); });
    if (TApplication* app = TApplication::Instance())
        app->RemoveForm(this);
}

std::string TForm1::AboutText()
{
    return Texts::Fill(Texts::AboutText, PublisherAddress);
}

void TForm1::FormCreate()
{
    Initialising = true;
    PlayActive = false;
    PlayIndex = 0;
    IniFileName = SpecialFolderPath(SpecialFolders::AppData) + "Quelmo.ini";
    // A save killed in its middle leaves its temporary file beside the settings.
    TIniFile(IniFileName).RemoveLeftovers();
    Media1->SetTimeFormat(0); // milliseconds
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // A restore from minimised arrives as a spontaneous show: it is not a show of a hidden window.
    if (event->spontaneous())
        return;
    if (!m_Shown) {
        m_Shown = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(PlaceOnScreen(screen->availableGeometry(), frameGeometry().size()));
        // Where the user was is kept even when the X server goes away under the program.
        if (TApplication* app = TApplication::Instance())
            app->SetSaveAtAbruptExit([this] { FormDestroy(); });
    }
    RunHandler([this] { FormShow(); });
}

QPoint TForm1::PlaceOnScreen(const QRect& area, const QSize& frame)
{
    // Centred, the top left of a window larger than the screen (a large scale factor on a small
    // screen) would lie off the screen, and with it the drive list; it starts at the area's corner.
    if (frame.width() > area.width() || frame.height() > area.height())
        return area.topLeft();
    return area.topLeft() + QPoint((area.width() - frame.width()) / 2, (area.height() - frame.height()) / 2);
}

void TForm1::FormShow()
{
    // Whatever happens below, the show ends with the drive list's change handler active.
    const auto endInitialising = TScopedFlag::ClearOnExit(Initialising);

    PlayActive = false;
    LoadSettings();
    LSource->SetDrive(SavedDrive);
    RSource->SetDirectory(SavedDir);
    if (SavedIndex != -1) {
        RSource->SetItemIndex(SavedIndex);
        RSourceClick();
    }
}

void TForm1::closeEvent(QCloseEvent* event)
{
    RunHandler([this] { FormClose(); });
    event->accept();
}

void TForm1::FormClose()
{
    Media1->SetNotify(false);
    Media1->Close();
}

void TForm1::FormDestroy()
{
    RememberSource();
    SaveSettings();
}

void TForm1::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    // A hidden window (in the notification area) is neither minimised nor restored by the user:
    // a window manager drops the minimised state of a window that it stops showing, and taking
    // that for a restore would remove the icon of a program that has no window on the screen.
    if (!isVisible())
        return;
    TApplication* app = TApplication::Instance();
    if (app == nullptr)
        return;
    if (isMinimized())
        app->FormMinimized();
    else
        app->FormRestored();
}

void TForm1::BitBtn1Click()
{
    RunHandler([this] {
        TApplication::Instance()->ProcessMessages();
        StopIfPlaying();
        close();
    });
}

void TForm1::Button1Click()
{
    RunHandler([] {
        MessageBoxRequest request;
        request.Text = AboutText();
        request.Caption = Texts::AboutCaption;
        request.Icon = MessageIcon::Information;
        request.CenterOnScreen = true;
        request.HelpContext = 0;
        ShowMessageBox(request);
    });
}
