// SPDX-License-Identifier: GPL-3.0-or-later
#include "GallerySections.h"

#include "ControlKit.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace quillet::gallery {

namespace {

// Colours the main window gives its progress bar, 0x00BBGGRR as the layouts state them; its
// background is the dialogs'.
constexpr quint32 kProgressFrom = 0xEEAA86;
constexpr quint32 kProgressTo = 0x9E5D3A;
constexpr quint32 kOptionSheetTabs = 0xDAB3A6;
constexpr quint32 kOptionSheetTabFlags = 15;

QLabel *Caption(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return label;
}

QWidget *Titled(const QString &title, QWidget *content)
{
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto *heading = new QLabel(title, box);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    content->setParent(box);
    layout->addWidget(content);
    return box;
}

CSkinButton *TextButton(const QString &text, QWidget *parent, const QSize &size)
{
    auto *button = new CSkinButton(text, parent);
    button->setFixedSize(size);
    ApplyDialogButtonLook(button);
    return button;
}

// A button and the name of the state it shows, in one grid column.
void AddStated(QGridLayout *grid, int row, int column, QWidget *control, const QString &state)
{
    grid->addWidget(control, row, column, Qt::AlignHCenter | Qt::AlignBottom);
    grid->addWidget(Caption(state, grid->parentWidget()), row + 1, column);
}

class WritableFolderPicker : public CFolderPicker
{
public:
    bool Validate(const QString &path, QString &status) override
    {
        if (path.isEmpty()) {
            status = QStringLiteral("Choose a folder.");
            return false;
        }
        if (!QFileInfo(path).isWritable()) {
            status = QStringLiteral("This folder is read-only.");
            return false;
        }
        status = QStringLiteral("Converted files will be written here.");
        return true;
    }
};

} // namespace

QWidget *TextButtonSection(ForcedStates &states)
{
    auto *content = new QWidget;
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(10);
    const DialogUnits du;
    const QSize options = du.Rect(0, 0, 45, 13).size();
    const QSize wide = du.Rect(0, 0, 60, 20).size();
    const QSize small = du.Rect(0, 0, 32, 14).size();

    AddStated(grid, 0, 0, TextButton(QStringLiteral("O&ptions"), content, options),
              QStringLiteral("normal"));
    auto *hover = TextButton(QStringLiteral("O&ptions"), content, options);
    states.hovered.append(hover);
    AddStated(grid, 0, 1, hover, QStringLiteral("hover"));
    auto *pressed = TextButton(QStringLiteral("O&ptions"), content, options);
    states.pressed.append(pressed);
    AddStated(grid, 0, 2, pressed, QStringLiteral("pressed"));
    auto *disabled = TextButton(QStringLiteral("O&ptions"), content, options);
    disabled->setEnabled(false);
    AddStated(grid, 0, 3, disabled, QStringLiteral("disabled"));
    auto *checked = TextButton(QStringLiteral("Apply"), content, options);
    checked->SetKind(SkinButtonKind::CheckBox);
    checked->SetCheck(true);
    AddStated(grid, 0, 4, checked, QStringLiteral("checked"));

    const struct
    {
        const char *text;
        int picture;
        const char *state;
    } pictured[] = {
        {"&New Task", kLeadingAdd, "normal"},
        {"&Convert", kLeadingConvert, "hover"},
        {"&Cancel", kLeadingConverting, "pressed"},
        {"O&ptions", kLeadingOptions, "disabled"},
        {"&Open", 275, "normal"},
        {"Burn", 276, "normal"},
    };
    int column = 0;
    for (const auto &p : pictured) {
        auto *button = TextButton(QString::fromLatin1(p.text), content, wide);
        button->SetLeadingPicture(p.picture, ColorFromRef(kLeadingKeyColorRef));
        const QString state = QString::fromLatin1(p.state);
        if (state == QStringLiteral("hover"))
            states.hovered.append(button);
        else if (state == QStringLiteral("pressed"))
            states.pressed.append(button);
        else if (state == QStringLiteral("disabled"))
            button->setEnabled(false);
        AddStated(grid, 2, column++, button, QString::number(p.picture) + QLatin1Char(' ') + state);
    }

    // Two radio groups side by side: checking one button only unchecks its own group.
    auto *radios = new QWidget(content);
    auto *radio_row = new QHBoxLayout(radios);
    radio_row->setContentsMargins(0, 0, 0, 0);
    const QString names[]
        = {QStringLiteral("DVD-5"), QStringLiteral("DVD-9"), QStringLiteral("BD-25"),
           QStringLiteral("&Up"), QStringLiteral("&Down")};
    for (int i = 0; i < 5; ++i) {
        auto *radio = TextButton(names[i], radios, small);
        radio->SetKind(SkinButtonKind::Radio);
        if (i == 0 || i == 3)
            radio->SetGroupStart(true);
        if (i == 3)
            radio_row->addSpacing(16);
        radio_row->addWidget(radio);
        if (i == 1 || i == 4)
            radio->SetCheck(true);
    }
    radio_row->addStretch();
    grid->addWidget(radios, 4, 0, 1, 6);
    grid->addWidget(Caption(QStringLiteral("two radio groups"), content), 5, 0, 1, 6,
                    Qt::AlignLeft);
    return Titled(QStringLiteral("Dialog text buttons (266-269)"), content);
}

QWidget *PictureButtonSection(ForcedStates &states)
{
    auto *content = new QWidget;
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(14);
    const SkinImageSet sets[] = {kUpdateButtonSet, kSettingsButtonSet};
    const QString tips[] = {QStringLiteral("Check for update"), QStringLiteral("System settings")};
    int column = 0;
    for (int s = 0; s < 2; ++s) {
        for (const char *state : {"normal", "hover", "pressed"}) {
            auto *button = new CSkinButton(content);
            button->SetImages(sets[s]);
            button->SetTooltipText(tips[s]);
            if (qstrcmp(state, "hover") == 0)
                states.hovered.append(button);
            if (qstrcmp(state, "pressed") == 0)
                states.pressed.append(button);
            AddStated(grid, 0, column++, button, QString::fromLatin1(state));
        }
    }
    grid->setColumnStretch(column, 1);
    return Titled(QStringLiteral("Picture buttons (253-260)"), content);
}

QWidget *ColorButtonSection(ForcedStates &states)
{
    auto *content = new QWidget;
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(0, 0, 0, 0);
    const QSize size = DialogUnits().Rect(0, 0, 50, 14).size();
    const QColor pad(255, 196, 120);
    int column = 0;
    for (const char *state : {"flat", "hover", "pressed", "disabled", "raised"}) {
        auto *button = new CColorButton(QStringLiteral("Select color"), content);
        button->setFixedSize(size);
        for (const int slot : {CColorButton::BackgroundActive, CColorButton::BackgroundNormal,
                               CColorButton::BackgroundFocus})
            button->SetColor(slot, pad, false);
        const QString name = QString::fromLatin1(state);
        if (name == QStringLiteral("hover"))
            states.hovered.append(button);
        else if (name == QStringLiteral("pressed"))
            states.pressed.append(button);
        else if (name == QStringLiteral("disabled"))
            button->setEnabled(false);
        else if (name == QStringLiteral("raised"))
            button->SetFlat(false);
        AddStated(grid, 0, column++, button, name);
    }
    grid->setColumnStretch(column, 1);
    return Titled(QStringLiteral("Colour buttons"), content);
}

QWidget *ProgressSection()
{
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    const QSize size = DialogUnits().Rect(0, 0, 284, 14).size();
    const struct
    {
        int percent;
        const char *text;
    } bars[] = {
        {0, "Please Add File(s)"},
        {20, "Converting 2 of 9 - 20% - 00:04:12 left"},
        {50, "Converting 5 of 9 - 50% - 00:02:30 left"},
        {100, "Done"},
    };
    for (const auto &b : bars) {
        auto *bar = new CGradientProgress(content);
        bar->setFixedSize(size);
        bar->SetCaptionMode(QStringLiteral("Done"),
                            CGradientProgress::CaptionText | CGradientProgress::CaptionShown);
        bar->SetBarTextColor(Qt::white);
        bar->SetBackgroundTextColor(Qt::black);
        bar->SetBkColor(DialogBackground());
        bar->SetBarColor(ColorFromRef(kProgressFrom), ColorFromRef(kProgressTo));
        bar->SetBorder(QMargins(1, 1, 1, 1));
        bar->setRange(0, 100);
        bar->setValue(b.percent);
        bar->SetCaption(QString::fromLatin1(b.text), false);
        layout->addWidget(bar);
    }
    auto *empty = new CGradientProgress(content);
    empty->setFixedSize(size);
    empty->SetCaptionMode(QStringLiteral("Done"), CGradientProgress::kCaptionBits);
    empty->SetBkColor(DialogBackground());
    empty->SetBorder(QMargins(1, 1, 1, 1));
    empty->setRange(0, 0);
    empty->setValue(0);
    empty->SetCaption(QStringLiteral("Empty range 0..0"), false);
    layout->addWidget(empty);
    return Titled(QStringLiteral("Gradient progress: 0, 20, 50, 100 %, empty range"), content);
}

QWidget *LinkSection()
{
    auto *link = new CLinkLabel;
    link->setPixmap(SkinResources::Banner());
    link->SetTarget(QStringLiteral("https://example.org/quillet"));
    link->SetTooltip(QStringLiteral("welcome to Quillet website"));
    return Titled(QStringLiteral("Link label with the banner"), link);
}

QWidget *TabSection()
{
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    CSkinTabCtrl::SetTabStyleFlags(true, kOptionSheetTabFlags);
    auto *sheet = new CSkinTabCtrl(content);
    sheet->SetBackgroundColor(ColorFromRef(kOptionSheetTabs));
    for (const char *name : {"Audio", "Video", "Resize", "Crop & Pad"})
        sheet->addTab(QString::fromLatin1(name));
    sheet->setCurrentIndex(1);
    layout->addWidget(sheet);

    auto *narrow = new CSkinTabCtrl(content);
    narrow->SetBackgroundColor(ColorFromRef(kOptionSheetTabs));
    narrow->setUsesScrollButtons(false);
    narrow->setExpanding(false);
    narrow->addTab(QStringLiteral("General"));
    narrow->addTab(QStringLiteral("A tab caption far too long for its tab"));
    narrow->setFixedWidth(DialogUnits().X(110));
    layout->addWidget(narrow);
    return Titled(QStringLiteral("Tab strip (option sheet colours; long text)"), content);
}

QWidget *ListSection()
{
    auto *content = new QWidget;
    auto *row = new QHBoxLayout(content);
    row->setContentsMargins(0, 0, 0, 0);
    const QList<int> ids(SkinResources::kProfileIconIds.begin(),
                         SkinResources::kProfileIconIds.end());

    auto *groups = new CIconListBox(content);
    groups->SetImageList(ImageList::FromIcons(ids, 16));
    groups->SetPaneId(0);
    const struct
    {
        const char *name;
        int icon;
    } roles[] = {
        {"All Profiles", 0}, {"Other Profiles", 1}, {"Common Audio", 2}, {"Common Video", 3},
        {"iPad", 4},         {"M4A audio", 5},      {"MOV video", 6},    {"WAV audio", 7},
        {"MP4 video", 8},    {"MP3 audio", 9},      {"Apple TV", 10},    {"iPhone", 11},
        {"iPod", 12},
    };
    for (const auto &r : roles)
        groups->AddRow(QString::fromLatin1(r.name), r.icon);
    groups->SetRowEnabled(7, false);
    groups->setCurrentRow(4);
    groups->setFixedSize(DialogUnits().X(101), 13 * 24 + 4);
    row->addWidget(groups);

    auto *profiles = new CIconListBox(content);
    profiles->SetImageList(ImageList::FromIcons(ids, 32));
    profiles->SetPaneId(1);
    profiles->SetHighlightStyle(CIconListBox::RightOfIcon, false);
    profiles->AddRow(QStringLiteral("iPad H.264 Video (*.mp4)"), 4);
    profiles->AddRow(QStringLiteral("iPad MPEG-4 Video, a long name that wraps onto a second line"),
                     4);
    profiles->AddRow(QStringLiteral("iPhone 4 H.264 Video (*.mp4)"), 11);
    profiles->AddRow(QStringLiteral("Disabled: MP3 Audio (*.mp3)"), 9);
    profiles->SetRowEnabled(3, false);
    profiles->AddRow(QStringLiteral("Apple TV HD H.264 Video"), 10);
    profiles->AddRow(QStringLiteral("My own profile"), 0);
    profiles->setCurrentRow(1);
    profiles->setFixedSize(DialogUnits().X(188), 13 * 24 + 4);
    row->addWidget(profiles);
    row->addStretch();
    return Titled(QStringLiteral("Icon list boxes (16 and 32 px, disabled rows)"), content);
}

QWidget *FolderSection()
{
    auto *content = new QWidget;
    auto *row = new QHBoxLayout(content);
    row->setContentsMargins(0, 0, 0, 0);
    auto *button = TextButton(QStringLiteral("Choose &folder..."), content,
                              DialogUnits().Rect(0, 0, 70, 14).size());
    auto *result = new QLabel(QStringLiteral("(no folder chosen)"), content);
    QObject::connect(button, &QPushButton::clicked, content, [content, result] {
        WritableFolderPicker picker;
        picker.SetCaption(QStringLiteral("Output folder"));
        picker.SetInstructionText(QStringLiteral("Converted files are written to this folder."));
        picker.SetInitialFolder(QDir::homePath() + QLatin1Char('/'));
        picker.SetStatusLine(true);
        if (picker.Browse(content->window()) == 1)
            result->setText(picker.Folder());
    });
    row->addWidget(button);
    row->addWidget(result, 1);
    return Titled(QStringLiteral("Folder picker"), content);
}

QWidget *ArtworkSection()
{
    auto *content = new QWidget;
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    int column = 0;
    for (const int id : SkinResources::kProfileIconIds) {
        for (const int size : {16, 32}) {
            auto *icon = new QLabel(content);
            icon->setPixmap(SkinResources::Icon(id, size).pixmap(size, size));
            grid->addWidget(icon, size == 16 ? 0 : 1, column, Qt::AlignCenter);
        }
        grid->addWidget(Caption(QString::number(id), content), 2, column);
        ++column;
    }
    auto *leading = new QHBoxLayout;
    for (int id = 272; id <= 277; ++id) {
        QPixmap picture = SkinResources::Bitmap(id);
        picture.setMask(
            picture.createMaskFromColor(ColorFromRef(kLeadingKeyColorRef), Qt::MaskInColor));
        auto *label = new QLabel(content);
        label->setPixmap(picture);
        leading->addWidget(label);
        leading->addWidget(Caption(QString::number(id), content));
        leading->addSpacing(6);
    }
    leading->addStretch();
    grid->addLayout(leading, 3, 0, 1, column);
    auto *empty = new QLabel(content);
    empty->setPixmap(SkinResources::EmptyListPicture());
    grid->addWidget(empty, 4, 0, 1, column, Qt::AlignLeft);
    return Titled(QStringLiteral("Icons (16 / 32), leading pictures, empty-list picture"), content);
}

} // namespace quillet::gallery
