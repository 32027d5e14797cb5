#include "ui/depth_cut_form.h"

#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <exception>
#include <new>

#include "core/clearance_rule.h"
#include "core/conversion_run.h"
#include "core/file_names.h"
#include "ui/app_paths.h"
#include "io/picture_file.h"
#include "io/settings_file.h"
#include "writers/formats.h"

namespace vantorel {

TDepthCutForm* DepthCutForm = nullptr;

namespace {

// The window is laid out in pixels at 96 dots per inch; the outer size 564 x 521 leaves this
// client area inside a 4-pixel frame and a 23-pixel title bar.
constexpr int kClientWidth = 556;
constexpr int kClientHeight = 494;

std::string ToStd(const QString& text) { return text.toStdString(); }
QString ToQ(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const ColourTable& EmptyPicture() {
    static const ColourTable empty(0, 0);
    return empty;
}

}  // namespace

FormEnvironment ProgramEnvironment(DialogProvider& dialogs) {
    FormEnvironment environment;
    environment.executableFolder = ExecutableFolder();
    environment.settingsPath = SettingsPathFor(environment.executableFolder);
    environment.helpDocumentPath = HelpDocumentPathFor(environment.executableFolder);
    environment.dialogs = &dialogs;
    return environment;
}

TDepthCutForm::TDepthCutForm(FormEnvironment environment, QWidget* parent)
    : QWidget(parent), environment_(std::move(environment)) {
    DepthCutForm = this;
    setObjectName("DepthCutForm");
    setWindowTitle(kApplicationTitle);
    // The layout was drawn for an 8-point MS Sans Serif. The nearest faces a Linux desktop has
    // are wider, so half a point less keeps every label within its room.
    QFont::insertSubstitutions("MS Sans Serif", {"Microsoft Sans Serif", "Liberation Sans", "Arimo",
                                                 "DejaVu Sans Condensed", "DejaVu Sans"});
    QFont font("MS Sans Serif");
    font.setPointSizeF(7.5);
    setFont(font);
    resize(kClientWidth, kClientHeight);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);

    CreateControls();
    SetCreateButtonsEnabled(false);

    OpenDialog1.kind = FileDialog::Kind::OpenExisting;
    OpenDialog1.Title = "Depth Map to be Machined";
    OpenDialog1.Filters = QStringList{"Bitmaps (*.bmp)"};
    OpenDialog1.DefaultExt = "bmp";
    OpenDialog1.PicturePreview = true;
    SaveDialog1.kind = FileDialog::Kind::Save;
    SaveDialog1.Title = "DXF Output Filename";
    SaveDialog1.Filters = QStringList{"DXF Files (*.dxf)", "All Files (*)"};
    SaveDialog1.DefaultExt = "dxf";
    SaveDialog1.ConfirmOverwrite = false;  // the runs refuse to overwrite instead

    FormCreate();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

TDepthCutForm::~TDepthCutForm() {
    if (!destroyed_) FormDestroy();
    if (DepthCutForm == this) DepthCutForm = nullptr;
}

void TDepthCutForm::CreateControls() {
    auto label = [this](const char* name, const char* text, int left, int top) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        l->move(left, top);
        l->adjustSize();
        return l;
    };
    auto heading = [&](const char* name, const char* text, int left, int top) {
        QLabel* l = label(name, text, left, top);
        QFont underlined = l->font();
        underlined.setUnderline(true);
        l->setFont(underlined);
        l->adjustSize();
    };
    // Right-aligned in a fixed width; `wrap` lets it break onto a second line.
    auto fitted = [&](const char* name, const char* text, int left, int top, int width, bool wrap) {
        QLabel* l = label(name, text, left, top);
        l->setAlignment(Qt::AlignRight | Qt::AlignTop);
        l->setWordWrap(wrap);
        l->setGeometry(left, top, width, wrap ? l->heightForWidth(width) : l->sizeHint().height());
    };
    auto edit = [this](const char* name, const char* text, int left, int top, int width) {
        auto* e = new QLineEdit(text, this);
        e->setObjectName(name);
        e->setGeometry(left, top, width, 21);
        return e;
    };
    auto button = [this](const char* name, const char* text, int left, int top, int width,
                         int height) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setGeometry(left, top, width, height);
        b->setAutoDefault(false);
        return b;
    };

    label("Label1", "Depth Map Picture File", 13, 8);
    label("Label2", "New DXF File (extension is changed for other file formats)", 13, 54);
    Label3 = label("Label3", "", 8, 96);
    Label3->setGeometry(8, 96, 529, Label3->fontMetrics().height() + 2);
    heading("Label7", "Wrapping Information", 8, 123);
    heading("Label6", "Location of Image on Wrapped Surface", 8, 148);
    fitted("Label4", "Bottom Left X (mm)", 8, 175, 97, false);
    fitted("Label5", "Angle Picture is wrapped (Degrees)", 234, 167, 90, true);
    label("Label9", "Length of Image in X Axis (mm)", 184, 204);
    heading("Label14", "Work Information", 8, 232);
    label("Label11", "Rotary Axis Name", 16, 260);
    fitted("Label10", "Z Value of nominal work surface (mm)", 20, 284, 117, true);
    fitted("Label12", "Max Depth of Cut (mm)", 342, 284, 67, true);
    label("Label8", "Feed Rate (mm/min)", 40, 324);
    label("Label13", "Clearance Height (mm)", 296, 332);
    label("Label15", "G Code Header", 16, 356);
    label("Label16", "G Code Footer", 16, 380);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName("Bevel1");
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 116, 529, 2);

    // Created in tab order.
    Edit1 = edit("Edit1", "", 13, 28, 444);
    OriginalBMPButton = button("OriginalBMPButton", "Browse", 469, 28, 65, 20);
    NewDXFButton = button("NewDXFButton", "Browse", 469, 73, 65, 20);
    Edit2 = edit("Edit2", "", 13, 73, 444);
    Edit3 = edit("Edit3", "0.0", 112, 171, 105);
    Edit4 = edit("Edit4", "360", 336, 171, 121);
    CreateDXFButton = button("CreateDXFButton", "Create DXF", 8, 416, 73, 25);
    HelpButton = button("HelpButton", "Help", 464, 432, 75, 25);
    CloseButton = button("CloseButton", "Close", 232, 432, 75, 25);
    Edit5 = edit("Edit5", "100", 336, 200, 121);
    Edit6 = edit("Edit6", "7.5", 152, 288, 121);
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName("ComboBox2");
    ComboBox2->setEditable(false);
    ComboBox2->addItem("A");
    ComboBox2->setCurrentIndex(-1);
    ComboBox2->setGeometry(112, 256, 121, 21);
    Edit7 = edit("Edit7", "1", 416, 288, 121);
    CreateSTLButton = button("CreateSTLButton", "Create STL", 8, 448, 73, 25);
    CreateOBJButton = button("CreateOBJButton", "Create OBJ", 96, 416, 73, 25);
    Edit8 = edit("Edit8", "200", 152, 320, 121);
    CreateNCButton = button("CreateNCButton", "Create NC", 96, 448, 73, 25);
    Edit9 = edit("Edit9", "10", 416, 320, 121);
    Edit10 = edit("Edit10", "", 112, 352, 425);
    Edit11 = edit("Edit11", "", 112, 376, 425);

    const QList<QWidget*> tabOrder{Edit1,           OriginalBMPButton,
                                   NewDXFButton,    Edit2,
                                   Edit3,           Edit4,
                                   CreateDXFButton, HelpButton,
                                   CloseButton,     Edit5,
                                   Edit6,           ComboBox2,
                                   Edit7,           CreateSTLButton,
                                   CreateOBJButton, Edit8,
                                   CreateNCButton,  Edit9,
                                   Edit10,          Edit11};
    for (qsizetype i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);

    // Hints that say what each field is for.
    Edit3->setToolTip("X coordinate of the picture's left edge, in mm");
    Edit4->setToolTip("Angle round the rotary axis through which the picture's height is wrapped");
    Edit5->setToolTip("Length of the picture along the X axis, first to last column, in mm");
    Edit6->setToolTip("Radius of the uncut work: the Z value at which a black pixel lies");
    Edit7->setToolTip("Depth cut at the brightest pixel of the picture, in mm");
    Edit9->setToolTip("Z of the retract plane; never below the work surface");
    CreateOBJButton->setToolTip("Create Wavefront OBJ file");

    AttachEdit1Change();
    connect(Edit6, &QLineEdit::textChanged, this, [this] { Guarded([this] { Edit6Change(); }); });
    connect(Edit9, &QLineEdit::textChanged, this, [this] { Guarded([this] { Edit6Change(); }); });
    auto click = [this](QPushButton* b, void (TDepthCutForm::*handler)()) {
        connect(b, &QPushButton::clicked, this, [this, handler] { Guarded([&] { (this->*handler)(); }); });
    };
    click(OriginalBMPButton, &TDepthCutForm::OriginalBMPButtonClick);
    click(NewDXFButton, &TDepthCutForm::NewDXFButtonClick);
    click(CreateDXFButton, &TDepthCutForm::CreateDXFButtonClick);
    click(CreateSTLButton, &TDepthCutForm::CreateSTLButtonClick);
    click(CreateOBJButton, &TDepthCutForm::CreateOBJButtonClick);
    click(CreateNCButton, &TDepthCutForm::CreateNCButtonClick);
    click(HelpButton, &TDepthCutForm::HelpButtonClick);
    click(CloseButton, &TDepthCutForm::CloseButtonClick);
}

template <typename Handler>
void TDepthCutForm::Guarded(Handler&& handler) {
    try {
        handler();
    } catch (const std::bad_alloc&) {
        ShowError("Out of memory");
    } catch (const std::exception& e) {
        ShowError(e.what());
    } catch (...) {
        ShowError("Unexpected error");
    }
}

void TDepthCutForm::AttachEdit1Change() {
    edit1Change_ = connect(Edit1, &QLineEdit::textChanged, this,
                           [this] { Guarded([this] { Edit1Change(); }); });
}

void TDepthCutForm::DetachEdit1Change() { disconnect(edit1Change_); }

// ---- Settings ------------------------------------------------------------------------------

void TDepthCutForm::FormCreate() {
    Guarded([this] {
        const SettingsFile settings(ToStd(environment_.settingsPath));
        for (const FieldKey& k : kFieldKeys)
            EditFor(k.field)->setText(
                ToQ(settings.ReadString(k.section, k.key, DefaultFieldText(k.field))));
        OpenDialog1.InitialDir = ToQ(
            settings.ReadString("Vantorel", "InitialDir", ToStd(environment_.executableFolder)));
        const int axis = settings.ReadInteger("Vantorel", "RotaryAxis", 0);
        ComboBox2->setCurrentIndex(axis >= 0 && axis < ComboBox2->count() ? axis : -1);
    });
    picture_ = nullptr;  // the empty picture until one loads
}

void TDepthCutForm::FormDestroy() {
    destroyed_ = true;
    Guarded([this] {
        SettingsFile settings(ToStd(environment_.settingsPath));
        for (const FieldKey& k : kFieldKeys) settings.WriteString(k.section, k.key, FieldText(k.field));
        settings.WriteString("Vantorel", "InitialDir", ToStd(OpenDialog1.InitialDir));
        settings.WriteInteger("Vantorel", "RotaryAxis", ComboBox2->currentIndex());
    });
    picture_.reset();
}

// ---- Picture and output name ---------------------------------------------------------------

void TDepthCutForm::Edit1Change() {
    const std::string path = ToStd(Edit1->text());
    if (!IsExistingFile(path) || LowerCase(ExtractFileExt(path)) != ".bmp") {
        SetCreateButtonsEnabled(false);
        return;
    }
    Edit2->setText(ToQ(ChangeFileExt(path, kOutputNameSuffix)));
    SaveDialog1.InitialDir = ToQ(ExtractFilePath(path));
    LoadPicture();
}

void TDepthCutForm::OriginalBMPButtonClick() {
    const std::optional<QString> chosen = environment_.dialogs->Execute(this, OpenDialog1);
    if (!chosen) return;
    DetachEdit1Change();
    struct Reattach {
        TDepthCutForm* form;
        ~Reattach() { form->AttachEdit1Change(); }
    } reattach{this};
    Edit1->setText(*chosen);
    const std::string path = ToStd(Edit1->text());
    OpenDialog1.InitialDir = ToQ(ExtractFilePath(path));
    Edit2->setText(ToQ(ChangeFileExt(path, kOutputNameSuffix)));
    SaveDialog1.InitialDir = ToQ(ExtractFilePath(path));
    LoadPicture();
}

void TDepthCutForm::LoadPicture() {
    PictureLoad load = LoadPictureFile(ToStd(Edit1->text()));
    if (!load.picture) {
        SetStatus("Picture did not load");
        SetCreateButtonsEnabled(false);
        return;
    }
    picture_ = std::move(load.picture);
    SetStatus("Picture loaded and is = " + std::to_string(picture_->Width()) + "W x " +
              std::to_string(picture_->Height()) + "H Pixels");
    SetCreateButtonsEnabled(true);
}

void TDepthCutForm::NewDXFButtonClick() {
    const std::optional<QString> chosen = environment_.dialogs->Execute(this, SaveDialog1);
    if (!chosen) return;
    Edit2->setText(*chosen);
    SaveDialog1.InitialDir = ToQ(ExtractFilePath(ToStd(*chosen)));
}

void TDepthCutForm::Edit6Change() {
    if (auto raised = RaisedClearance(ToStd(Edit6->text()), ToStd(Edit9->text())))
        Edit9->setText(ToQ(*raised));  // runs this handler once more, which then finds it fine
}

// ---- Runs, help and close ------------------------------------------------------------------

void TDepthCutForm::StartRun(const OutputFormat& format) { ConversionRun(*this, format); }
void TDepthCutForm::CreateDXFButtonClick() { StartRun(DxfFormat()); }
void TDepthCutForm::CreateSTLButtonClick() { StartRun(StlFormat()); }
void TDepthCutForm::CreateOBJButtonClick() { StartRun(ObjFormat()); }
void TDepthCutForm::CreateNCButtonClick() { StartRun(NcFormat()); }

void TDepthCutForm::HelpButtonClick() {
    environment_.dialogs->OpenDocument(environment_.helpDocumentPath);
}

void TDepthCutForm::CloseButtonClick() { close(); }

// ---- Enabling ------------------------------------------------------------------------------

void TDepthCutForm::SetControlsEnabled(bool enabled) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{CreateDXFButton, CreateSTLButton, CreateOBJButton,
                                         CreateNCButton, OriginalBMPButton, NewDXFButton,
                                         HelpButton, CloseButton, Edit1, Edit2, Edit3, Edit4,
                                         Edit5, Edit6, Edit7, Edit8, Edit9, Edit10, Edit11})
        control->setEnabled(enabled);
    repaint();
}

void TDepthCutForm::SetCreateButtonsEnabled(bool enabled) {
    for (QPushButton* b : {CreateDXFButton, CreateSTLButton, CreateOBJButton, CreateNCButton})
        b->setEnabled(enabled);
    repaint();
}

// ---- What a run needs ----------------------------------------------------------------------

QLineEdit* TDepthCutForm::EditFor(Field field) const {
    switch (field) {
        case Field::PicturePath: return Edit1;
        case Field::OutputName: return Edit2;
        case Field::LeftX: return Edit3;
        case Field::WrapAngle: return Edit4;
        case Field::ImageLength: return Edit5;
        case Field::WorkSurface: return Edit6;
        case Field::DepthofCut: return Edit7;
        case Field::Feedrate: return Edit8;
        case Field::Clearance: return Edit9;
        case Field::Header: return Edit10;
        case Field::Footer: return Edit11;
    }
    return Edit1;
}

std::string TDepthCutForm::FieldText(Field field) const { return ToStd(EditFor(field)->text()); }

void TDepthCutForm::SetStatus(const std::string& text) { Label3->setText(ToQ(text)); }

void TDepthCutForm::Repaint() { repaint(); }

void TDepthCutForm::ShowWarning(const std::string& message) {
    environment_.dialogs->ShowMessage(this, "Warning", ToQ(message));
}

void TDepthCutForm::ShowError(const std::string& message) {
    ShowErrorDisplay(*environment_.dialogs, this, ToQ(message));
}

const Picture& TDepthCutForm::LoadedPicture() const {
    if (picture_) return *picture_;
    return EmptyPicture();
}

std::string TDepthCutForm::LowerCase(std::string_view text) const {
    return ToStd(QLocale::system().toLower(ToQ(text)));
}

}  // namespace vantorel
