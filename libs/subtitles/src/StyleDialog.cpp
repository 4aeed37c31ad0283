// SPDX-License-Identifier: GPL-3.0-or-later
#include "StyleDialog.h"

#include "AlignmentPicker.h"
#include "ColourChooser.h"
#include "PreviewRenderer.h"
#include "SampleFrame.h"

#include "CColorButton.h"
#include "CSkinButton.h"
#include "DialogButton.h"
#include "DialogLook.h"
#include "texts/LanguageKeys.h"
#include "texts/ui/UiText.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFontComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace subtitles {

namespace {

/// A text of the dialog's language section, checked while compiling.
consteval const quillet::LanguageKey &Key(std::string_view key)
{
    return quillet::CataloguedKey("SUBTITLE_STYLE_DLG", key);
}

QColor ToColour(Argb argb)
{
    return QColor::fromRgba(argb);
}

Argb ToArgb(const QColor &colour)
{
    return colour.rgba();
}

/// The family as the style file can hold it: no field or value separators, cut to the record's
/// field on a character boundary.
std::string FontName(const QString &family)
{
    QString cleaned = family;
    cleaned.remove(QLatin1Char(',')).remove(QLatin1Char('=')).remove(QLatin1Char('\n'));
    cleaned = cleaned.trimmed();
    std::string name = cleaned.toStdString();
    if (name.size() > kMaxFontNameBytes) {
        std::size_t cut = kMaxFontNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }
    return name;
}

QLabel *Label(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

StyleDialog::StyleDialog(const quillet::Texts &texts, const StyleFile &file, StyleSettings defaults,
                         const StyleSettings &initial, QWidget *parent)
    : QDialog(parent)
    , m_file(file)
    , m_defaults(std::move(defaults))
    , m_preview_failed(quillet::UiFormat(texts, Key("strPreviewFailedInfo")))
    , m_preview_timer(new QTimer(this))
    , m_frame(PaintSampleFrame(kPreviewSize))
{
    setObjectName(QStringLiteral("subtitleStyleDialog"));
    setWindowTitle(quillet::UiText(texts, Key("strTitleInfo")));
    quillet::ApplyDialogLook(this);
    BuildControls(texts);

    // The sample text as a subtitle file shown all the time, read the way a conversion reads
    // the file it burns in.
    const QString sample = m_folder.filePath(QStringLiteral("preview.srt"));
    QFile srt(sample);
    if (srt.open(QIODevice::WriteOnly)) {
        srt.write("1\n00:00:00,000 --> 99:00:00,000\n");
        srt.write(quillet::UiText(texts, Key("strSampleLine1Info")).toUtf8() + "\n");
        srt.write(quillet::UiText(texts, Key("strSampleLine2Info")).toUtf8() + "\n");
        srt.close();
    }
    m_renderer = std::make_unique<PreviewRenderer>(QFile::encodeName(sample).toStdString());

    // Changes come in bursts (a held spin arrow, typing a number): draw once they settle.
    m_preview_timer->setSingleShot(true);
    m_preview_timer->setInterval(40);
    connect(m_preview_timer, &QTimer::timeout, this, &StyleDialog::DrawPreview);
    SetSettings(initial);
}

StyleDialog::~StyleDialog() = default;

void StyleDialog::BuildControls(const quillet::Texts &texts)
{
    m_font = new QFontComboBox(this);
    m_font->setObjectName(QStringLiteral("font"));
    m_font->setMinimumWidth(200);
    m_size = new QSpinBox(this);
    m_size->setObjectName(QStringLiteral("fontSize"));
    m_size->setRange(kMinFontSize, kMaxFontSize);
    m_bold = new QCheckBox(quillet::UiText(texts, Key("btnBoldInfo")), this);
    m_bold->setObjectName(QStringLiteral("bold"));
    m_italic = new QCheckBox(quillet::UiText(texts, Key("btnItalicInfo")), this);
    m_italic->setObjectName(QStringLiteral("italic"));

    const QString colour_tip = quillet::UiText(texts, Key("btnColourTooltip"));
    const QString opacity = quillet::UiText(texts, Key("strOpacityInfo"));
    const QString primary_label = quillet::UiText(texts, Key("strTextColourInfo"));
    const QString outline_label = quillet::UiText(texts, Key("strOutlineColourInfo"));
    const QString shadow_label = quillet::UiText(texts, Key("strShadowColourInfo"));
    m_primary = new ColourChooser(primary_label, colour_tip, opacity, this);
    m_primary->setObjectName(QStringLiteral("primaryColour"));
    m_outline = new ColourChooser(outline_label, colour_tip, opacity, this);
    m_outline->setObjectName(QStringLiteral("outlineColour"));
    m_shadow = new ColourChooser(shadow_label, colour_tip, opacity, this);
    m_shadow->setObjectName(QStringLiteral("shadowColour"));

    auto width_box = [this](const char *name) {
        auto *box = new QDoubleSpinBox(this);
        box->setObjectName(QLatin1String(name));
        box->setRange(0, kMaxLineWidth);
        box->setDecimals(1);
        box->setSingleStep(0.5);
        return box;
    };
    m_outline_width = width_box("outlineWidth");
    m_shadow_distance = width_box("shadowDistance");
    m_alignment = new AlignmentPicker(this);
    m_alignment->setObjectName(QStringLiteral("alignment"));
    auto margin_box = [this](const char *name) {
        auto *box = new QSpinBox(this);
        box->setObjectName(QLatin1String(name));
        box->setRange(0, kMaxMargin);
        return box;
    };
    m_margin_left = margin_box("marginLeft");
    m_margin_right = margin_box("marginRight");
    m_margin_vertical = margin_box("marginVertical");

    auto *form = new QGridLayout;
    form->setHorizontalSpacing(8);
    form->setVerticalSpacing(6);
    int row = 0;
    form->addWidget(Label(quillet::UiText(texts, Key("strFontInfo")), m_font, this), row, 0);
    form->addWidget(m_font, row++, 1);
    auto *size_row = new QHBoxLayout;
    size_row->addWidget(m_size);
    size_row->addSpacing(12);
    size_row->addWidget(m_bold);
    size_row->addWidget(m_italic);
    size_row->addStretch();
    form->addWidget(Label(quillet::UiText(texts, Key("strSizeInfo")), m_size, this), row, 0);
    form->addLayout(size_row, row++, 1);
    form->addWidget(Label(primary_label, m_primary->Button(), this), row, 0);
    form->addWidget(m_primary, row++, 1);
    form->addWidget(Label(outline_label, m_outline->Button(), this), row, 0);
    form->addWidget(m_outline, row++, 1);
    form->addWidget(Label(shadow_label, m_shadow->Button(), this), row, 0);
    form->addWidget(m_shadow, row++, 1);
    form->addWidget(
        Label(quillet::UiText(texts, Key("strOutlineWidthInfo")), m_outline_width, this), row, 0);
    form->addWidget(m_outline_width, row++, 1, Qt::AlignLeft);
    form->addWidget(
        Label(quillet::UiText(texts, Key("strShadowDistanceInfo")), m_shadow_distance, this), row,
        0);
    form->addWidget(m_shadow_distance, row++, 1, Qt::AlignLeft);
    form->addWidget(Label(quillet::UiText(texts, Key("strPositionInfo")), m_alignment, this), row,
                    0, Qt::AlignTop);
    form->addWidget(m_alignment, row++, 1, Qt::AlignLeft);
    form->addWidget(Label(quillet::UiText(texts, Key("strMarginLeftInfo")), m_margin_left, this),
                    row, 0);
    form->addWidget(m_margin_left, row++, 1, Qt::AlignLeft);
    form->addWidget(Label(quillet::UiText(texts, Key("strMarginRightInfo")), m_margin_right, this),
                    row, 0);
    form->addWidget(m_margin_right, row++, 1, Qt::AlignLeft);
    form->addWidget(
        Label(quillet::UiText(texts, Key("strMarginVerticalInfo")), m_margin_vertical, this), row,
        0);
    form->addWidget(m_margin_vertical, row++, 1, Qt::AlignLeft);
    form->setRowStretch(row, 1);

    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("preview"));
    m_preview->setFixedSize(kPreviewSize + QSize(2, 2));
    m_preview->setFrameShape(QFrame::Box);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setWordWrap(true);
    auto *preview_column = new QVBoxLayout;
    preview_column->addWidget(new QLabel(quillet::UiText(texts, Key("strPreviewInfo")), this));
    preview_column->addWidget(m_preview);
    preview_column->addStretch();

    m_default_button = new quillet::CSkinButton(this);
    m_default_button->setObjectName(QStringLiteral("default"));
    m_ok = new quillet::CSkinButton(this);
    m_ok->setObjectName(QStringLiteral("ok"));
    m_cancel = new quillet::CSkinButton(this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    quillet::SetUpTextButton(m_default_button, quillet::UiText(texts, Key("btnDefaultInfo")),
                             quillet::UiText(texts, Key("btnDefaultTooltip")));
    quillet::SetUpTextButton(m_ok, quillet::UiText(texts, Key("btnOKInfo")),
                             quillet::UiText(texts, Key("btnOKTooltip")));
    quillet::SetUpTextButton(m_cancel, quillet::UiText(texts, Key("btnCancelInfo")),
                             quillet::UiText(texts, Key("btnCancelTooltip")));
    for (quillet::CSkinButton *button : {m_default_button, m_ok, m_cancel})
        button->setMinimumSize(std::max(88, button->sizeHint().width() + 16), 24);
    m_ok->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_default_button);
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto *columns = new QHBoxLayout;
    columns->setSpacing(16);
    columns->addLayout(form);
    columns->addLayout(preview_column);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addLayout(columns);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_font, &QFontComboBox::currentFontChanged, this, &StyleDialog::PreviewLater);
    connect(m_size, &QSpinBox::valueChanged, this, &StyleDialog::PreviewLater);
    connect(m_bold, &QCheckBox::toggled, this, &StyleDialog::PreviewLater);
    connect(m_italic, &QCheckBox::toggled, this, &StyleDialog::PreviewLater);
    for (ColourChooser *chooser : {m_primary, m_outline, m_shadow})
        connect(chooser, &ColourChooser::Changed, this, &StyleDialog::PreviewLater);
    connect(m_outline_width, &QDoubleSpinBox::valueChanged, this, &StyleDialog::PreviewLater);
    connect(m_shadow_distance, &QDoubleSpinBox::valueChanged, this, &StyleDialog::PreviewLater);
    connect(m_alignment, &AlignmentPicker::Changed, this, &StyleDialog::PreviewLater);
    for (QSpinBox *box : {m_margin_left, m_margin_right, m_margin_vertical})
        connect(box, &QSpinBox::valueChanged, this, &StyleDialog::PreviewLater);
    connect(m_default_button, &QPushButton::clicked, this, [this] { SetSettings(m_defaults); });
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

StyleSettings StyleDialog::Settings() const
{
    StyleSettings s;
    s.font_name = FontName(m_font->currentFont().family());
    if (s.font_name.empty())
        s.font_name = m_defaults.font_name;
    s.font_size = m_size->value();
    s.bold = m_bold->isChecked();
    s.italic = m_italic->isChecked();
    s.primary = ToArgb(m_primary->Colour());
    s.outline = ToArgb(m_outline->Colour());
    s.shadow = ToArgb(m_shadow->Colour());
    s.outline_width = m_outline_width->value();
    s.shadow_distance = m_shadow_distance->value();
    s.alignment = m_alignment->Alignment();
    s.margin_left = m_margin_left->value();
    s.margin_right = m_margin_right->value();
    s.margin_vertical = m_margin_vertical->value();
    return s;
}

void StyleDialog::SetSettings(const StyleSettings &s)
{
    {
        // One preview for the whole change, not one per control.
        const QSignalBlocker blocks[]
            = {QSignalBlocker(m_font),           QSignalBlocker(m_size),
               QSignalBlocker(m_bold),           QSignalBlocker(m_italic),
               QSignalBlocker(m_outline_width),  QSignalBlocker(m_shadow_distance),
               QSignalBlocker(m_margin_left),    QSignalBlocker(m_margin_right),
               QSignalBlocker(m_margin_vertical)};
        m_font->setCurrentFont(QFont(QString::fromStdString(s.font_name)));
        m_size->setValue(s.font_size);
        m_bold->setChecked(s.bold);
        m_italic->setChecked(s.italic);
        m_primary->SetColour(ToColour(s.primary));
        m_outline->SetColour(ToColour(s.outline));
        m_shadow->SetColour(ToColour(s.shadow));
        m_outline_width->setValue(s.outline_width);
        m_shadow_distance->setValue(s.shadow_distance);
        m_alignment->SetAlignment(s.alignment);
        m_margin_left->setValue(s.margin_left);
        m_margin_right->setValue(s.margin_right);
        m_margin_vertical->setValue(s.margin_vertical);
    }
    DrawPreview();
}

void StyleDialog::PreviewLater()
{
    m_preview_timer->start();
}

void StyleDialog::DrawPreview()
{
    m_preview_timer->stop();
    QString error;
    if (!m_renderer->Ready()) {
        error = QString::fromStdString(m_renderer->Error());
    } else {
        // The style exactly as the engine will read it back from the saved file.
        m_preview_image
            = m_renderer->Render(m_frame, 1.0, m_file.ForceStyleAfterSaving(Settings()));
        if (m_preview_image.isNull())
            error = QString::fromStdString(m_renderer->Error());
    }
    if (!error.isEmpty()) {
        m_preview_image = QImage();
        m_preview->setPixmap(QPixmap());
        // The format was checked to take exactly one text, as its default does.
        QString message = m_preview_failed;
        message.replace(QStringLiteral("%s"), error)
            .replace(QStringLiteral("%%"), QStringLiteral("%"));
        m_preview->setText(message);
        return;
    }
    m_preview->setText(QString());
    m_preview->setPixmap(QPixmap::fromImage(m_preview_image));
}

QImage StyleDialog::PreviewImage()
{
    if (m_preview_timer->isActive())
        DrawPreview();
    return m_preview_image;
}

QString StyleDialog::PreviewError() const
{
    return m_preview_image.isNull() ? m_preview->text() : QString();
}

} // namespace subtitles
