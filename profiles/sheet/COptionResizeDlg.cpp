// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/sheet/COptionResizeDlg.h"

#include "controls/DataExchange.h"
#include "texts/LanguageKeys.h"
#include "texts/ui/UiText.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace quillet {

namespace {

// Where each size radio sits, by stored value, in dialog units (left, top).
struct Spot
{
    int x;
    int y;
};
constexpr int kLeftColumn = 13;
constexpr int kRightColumn = 120;
constexpr std::array<Spot, sheet::kSizeChoices> kSizeSpots = {{
    {kLeftColumn, 20},
    {kLeftColumn, 34},
    {kLeftColumn, 48},
    {kLeftColumn, 62},
    {kLeftColumn, 76},
    {kRightColumn, 20},
    {kRightColumn, 34},
    {kRightColumn, 48},
    {kRightColumn, 62},
    {kLeftColumn, 107}, // "Custom size", on the bottom row with its edits
    {kRightColumn, 76},
    {kRightColumn, 90},
}};

} // namespace

COptionResizeDlg::COptionResizeDlg(Prompter &prompter, const Texts &texts, QWidget *parent)
    : COptionPage(prompter, texts, parent)
{
    CreateControls();
    RefreshTexts();
}

void COptionResizeDlg::CreateControls()
{
    m_size_group = new QGroupBox(this);
    m_aspect_group = new QGroupBox(this);

    QList<QAbstractButton *> sizes;
    for (int value = 0; value < sheet::kSizeChoices; ++value) {
        auto *radio = new QRadioButton(this);
        radio->setObjectName(QStringLiteral("size%1").arg(value));
        const std::string_view fixed = sheet::kFixedSizeLabels[static_cast<std::size_t>(value)];
        if (!fixed.empty())
            radio->setText(QString::fromLatin1(fixed.data(), qsizetype(fixed.size())));
        m_sizes[static_cast<std::size_t>(value)] = radio;
        sizes.append(radio);
        const Spot spot = kSizeSpots[static_cast<std::size_t>(value)];
        Place(radio, spot.x, spot.y, value == sheet::kCustomSize ? 96 : 100, 10);
    }
    MakeRadioGroup(sizes);

    m_custom_width = new QLineEdit(this);
    m_custom_width->setObjectName(QStringLiteral("customWidth"));
    m_by = new QLabel(QStringLiteral("x"), this);
    m_by->setAlignment(Qt::AlignCenter);
    m_custom_height = new QLineEdit(this);
    m_custom_height->setObjectName(QStringLiteral("customHeight"));
    Place(m_custom_width, 112, 105, 40, 12);
    Place(m_by, 153, 107, 10, 8);
    Place(m_custom_height, 164, 105, 40, 12);
    Place(m_size_group, 7, 7, 219, 118);

    // The aspect labels other than "Normal" are fixed texts.
    QList<QAbstractButton *> aspects;
    const char *const fixed_aspects[] = {"", "4 : 3", "16 : 9"};
    for (int value = 0; value < 3; ++value) {
        auto *radio = new QRadioButton(QString::fromLatin1(fixed_aspects[value]), this);
        radio->setObjectName(QStringLiteral("aspect%1").arg(value));
        m_aspects[static_cast<std::size_t>(value)] = radio;
        aspects.append(radio);
    }
    MakeRadioGroup(aspects);
    Place(m_aspect_group, 7, 131, 219, 32);
    Place(m_aspects[0], 13, 145, 70, 10);
    Place(m_aspects[1], 90, 145, 60, 10);
    Place(m_aspects[2], 155, 145, 60, 10);

    WatchFocus(m_custom_width);
    WatchFocus(m_custom_height);
}

void COptionResizeDlg::RefreshTexts()
{
    m_size_group->setTitle(UiText(m_texts, CataloguedKey("OPTION_RESIZE_DLG", "btnResizeInfo")));
    m_sizes[sheet::kOriginalSize]->setText(
        UiText(m_texts, CataloguedKey("OPTION_RESIZE_DLG", "btnOriginalSizeInfo")));
    m_sizes[sheet::kCustomSize]->setText(
        UiText(m_texts, CataloguedKey("OPTION_RESIZE_DLG", "btnCustomSizeInfo")));
    m_aspect_group->setTitle(
        UiText(m_texts, CataloguedKey("OPTION_RESIZE_DLG", "btnAspectratioInfo")));
    m_aspects[0]->setText(
        UiText(m_texts, CataloguedKey("OPTION_RESIZE_DLG", "btnNormalAspectratioInfo")));
}

void COptionResizeDlg::LoadFields(const ProfileRecord &r)
{
    m_stored = r;
    m_fields.size_choice = r.nVideoRiszeOption;
    m_fields.custom_width = r.nVideoCustomSizeX;
    m_fields.custom_height = r.nVideoCustomSizeY;
    m_fields.aspect = r.nAspect;
    m_fields.source_width = r.source_width;
    m_fields.source_height = r.source_height;
}

void COptionResizeDlg::StoreFields(ProfileRecord &r) const
{
    r.nVideoRiszeOption = ChosenOr(m_fields.size_choice, m_stored.nVideoRiszeOption);
    r.nVideoCustomSizeX = m_fields.custom_width;
    r.nVideoCustomSizeY = m_fields.custom_height;
    r.nAspect = ChosenOr(m_fields.aspect, m_stored.nAspect);
}

std::optional<sheet::FrameSize> COptionResizeDlg::StoredOutputSize() const
{
    return sheet::OutputSizeOfChoice(m_fields.size_choice,
                                     {m_fields.custom_width, m_fields.custom_height},
                                     {m_fields.source_width, m_fields.source_height});
}

void COptionResizeDlg::DoDataExchange(DataExchange &dx)
{
    dx.Radio({m_sizes.begin(), m_sizes.end()}, m_fields.size_choice);
    dx.Integer(m_custom_width, m_fields.custom_width);
    dx.Integer(m_custom_height, m_fields.custom_height);
    dx.Radio({m_aspects.begin(), m_aspects.end()}, m_fields.aspect);
}

void COptionResizeDlg::OnEditFocused(QWidget *)
{
    // Either custom edit: typing a size means the custom size.
    m_sizes[sheet::kCustomSize]->setChecked(true);
}

} // namespace quillet
