#include "ui/BonusPanels.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "ui/Art.h"
#include "ui/CheckList.h"
#include "ui/FieldPanel.h"
#include "ui/Placement.h"

namespace {

// The fixed places of a panel: its list on the left, then the rows, each a name over its
// value.
struct PanelPlace {
    const char* frame;
    int left, top;  // of the list
    int nameX, valueX, valueWidth;  // the rows' left and the value boxes' width
};
constexpr PanelPlace kPersonal{"personal_modifiers_frame", 441, 478, 596, 596, 60};
constexpr PanelPlace kCompany{"company_modifiers_frame", 728, 478, 883, 883, 70};
constexpr int kListWidth = 150;
constexpr int kListHeight = 212;
constexpr int kRowStep = 35;
constexpr int kNameWidth = 116;
constexpr int kNameHeight = 15;
constexpr int kValueTop = 15;  // below the row's top
constexpr int kValueHeight = 18;

void LimitValue(QLineEdit* edit, int limit) {
    edit->setMaxLength(limit);
    edit->setProperty(kTypingLimitProperty, limit);
}

}  // namespace

BonusPanels::BonusPanels(QWidget* client, Placement& placement, ModProject& project, Hooks hooks)
    : QObject(client), project_(project), hooks_(std::move(hooks)) {
    for (int list = 0; list < kBonusPanelCount; ++list) {
        const PanelPlace& place = IsPersonalBonusList(list) ? kPersonal : kCompany;
        const int level = list / 2;
        Placement::Options fixed;
        fixed.level = level;
        fixed.fixed = true;
        auto* box = new CheckList(client);
        box->setObjectName(QString::fromStdString(BonusCheckboxName(list)));
        box->setFont(EditingFont());
        box->setToolTip(IsPersonalBonusList(list)
                            ? "The modifiers, or bonuses, that apply to this unit itself."
                            : "The modifiers, or bonuses, that apply to all units in the company "
                              "this unit is in, if this unit is in a support or captain slot.");
        box->setGeometry(place.left, place.top, kListWidth, kListHeight);
        box->SetColorOf([this, list](int item, bool, bool selected) {
            const QSObjectList& view = project_.Catalogue().ViewList();
            const int index = hooks_.currentIndex();
            if (index < 0 || static_cast<uint32_t>(index) >= view.Count()) return kColorUnchanged;
            const QSObjectData& record = *view[static_cast<uint32_t>(index)];
            return BonusItemColor(
                project_.Catalogue().BonusDefinitions(), record,
                project_.Catalogue().FindRetailCounterpart(record.UniqueName().c_str()), list, item,
                selected);
        });
        connect(box, &CheckList::toggled, this,
                [this, list](int item, bool checked) { Toggled(list, item, checked); });
        lists_[static_cast<size_t>(list)] = box;
        placement.Place(box, nullptr, place.frame, kInUnits | kInHeroes, fixed);

        for (int row = 1; row <= kBonusRows; ++row) {
            const int y = place.top + (row - 1) * kRowStep;
            QLabel* name = AddYellowLabel(client, QString::fromStdString(BonusRowName(list, row)),
                                          "", QPoint(place.nameX, y), EditingFont());
            name->setFixedSize(kNameWidth, kNameHeight);
            auto* value = new QLineEdit(client);
            value->setObjectName(QString::fromStdString(BonusValueName(list, row)));
            value->setFont(EditingFont());
            if (const int max = BonusValueMaxLength(list, row)) LimitValue(value, max);
            value->setGeometry(place.valueX, y + kValueTop, place.valueWidth, kValueHeight);
            connect(value, &QLineEdit::textEdited, this, [this, list, row](const QString& text) {
                ValueEdited(list, row, text.toStdString(), false);
            });
            value->installEventFilter(this);
            names_[static_cast<size_t>(list)][static_cast<size_t>(row - 1)] = name;
            values_[static_cast<size_t>(list)][static_cast<size_t>(row - 1)] = value;
            placement.Place(value, name, place.frame, kInUnits | kInHeroes, fixed);
        }
    }
}

QLineEdit* BonusPanels::Value(int list, int row) const {
    return values_[static_cast<size_t>(list)][static_cast<size_t>(row - 1)];
}

void BonusPanels::FillLists(const std::vector<QSBRIXBonusData>& definitions) {
    std::vector<std::string> names;
    for (const QSBRIXBonusData& b : definitions) names.push_back(b.name);
    for (CheckList* list : lists_) list->SetItems(names);
}

void BonusPanels::EmptyLists() {
    for (CheckList* list : lists_) list->SetItems({});
}

void BonusPanels::Render(const ShownObject& shown) {
    for (int list = 0; list < kBonusPanelCount; ++list)
        RenderPanel(list, shown.bonuses[static_cast<size_t>(list)]);
    HideEmptyRows();
}

void BonusPanels::RenderPanel(int list, const BonusPanel& panel) {
    lists_[static_cast<size_t>(list)]->SetChecks(panel.checked);
    for (int row = 1; row <= kBonusRows; ++row) {
        QLabel* name = names_[static_cast<size_t>(list)][static_cast<size_t>(row - 1)];
        QLineEdit* value = Value(list, row);
        if (static_cast<size_t>(row - 1) < panel.rows.size()) {
            const BonusRow& r = panel.rows[static_cast<size_t>(row - 1)];
            name->setText(QString::fromStdString(r.name));
            RenderControl(value, {r.valueControl, r.value, r.color});
        } else {
            name->clear();
            value->clear();
        }
    }
}

void BonusPanels::HideEmptyRows() {
    for (int list = 0; list < kBonusPanelCount; ++list) {
        for (int row = 1; row <= kBonusRows; ++row) {
            QLabel* name = names_[static_cast<size_t>(list)][static_cast<size_t>(row - 1)];
            if (name->text().isEmpty()) {
                name->hide();
                Value(list, row)->hide();
            }
        }
    }
}

void BonusPanels::Toggled(int list, int item, bool checked) {
    BonusUpdate update = project_.ToggleBonus(hooks_.currentIndex(), list, item, checked);
    lists_[static_cast<size_t>(list)]->SetChecked(item, update.checked);
    if (update.showObject) {
        // A tick or an untick changes this list of the object only: it is shown again, with
        // a row for each of its bonuses while the list is on screen.
        RenderPanel(list, update.panel);
        const bool shown = lists_[static_cast<size_t>(list)]->isVisible();
        for (int row = 1; row <= kBonusRows; ++row) {
            const bool filled = static_cast<size_t>(row - 1) < update.panel.rows.size();
            names_[static_cast<size_t>(list)][static_cast<size_t>(row - 1)]->setVisible(shown &&
                                                                                        filled);
            Value(list, row)->setVisible(shown && filled);
        }
        update.showObject = false;
    }
    Apply(update);
}

void BonusPanels::ValueEdited(int list, int row, const std::string& text, bool undo) {
    Apply(project_.EditBonusValue(hooks_.currentIndex(), list, row, text, undo));
}

void BonusPanels::Apply(const BonusUpdate& update) {
    for (const ControlUpdate& c : update.field.controls) {
        for (int list = 0; list < kBonusPanelCount; ++list) {
            for (int row = 1; row <= kBonusRows; ++row) {
                if (BonusValueName(list, row) == c.control) RenderControl(Value(list, row), c);
            }
        }
    }
    if (update.field.repaintObjectList && hooks_.repaintList) hooks_.repaintList();
    if (update.showObject && hooks_.showObject) hooks_.showObject();
    for (CheckList* list : lists_) list->viewport()->update();
    if (!update.message.empty() && hooks_.message) hooks_.message(update.message);
}

bool BonusPanels::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->key() == Qt::Key_Z && (key->modifiers() & Qt::ControlModifier)) {
            for (int list = 0; list < kBonusPanelCount; ++list) {
                for (int row = 1; row <= kBonusRows; ++row) {
                    if (Value(list, row) == watched) ValueEdited(list, row, "", true);
                }
            }
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
