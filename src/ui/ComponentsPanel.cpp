#include "ui/ComponentsPanel.h"

#include <QLabel>

#include "objects/BuildHierarchy.h"
#include "ui/Art.h"
#include "ui/CheckList.h"
#include "ui/Placement.h"

ComponentsPanel::ComponentsPanel(QWidget* client, Placement& placement, ModProject& project,
                                 Hooks hooks)
    : QObject(client), project_(project), hooks_(std::move(hooks)) {
    list_ = new CheckList(client);
    list_->setObjectName("components_checklistbox");
    list_->setFont(EditingFont());
    list_->setToolTip(
        "What building components are required in a settlement to build this object?");
    list_->setGeometry(764, 112, 240, 58);
    QLabel* label = AddYellowLabel(client, "components_checklistbox_label",
                                   "Components:", QPoint(764, 97), EditingFont());
    list_->SetColorOf([this](int item, bool checked, bool selected) {
        const QSObjectList& view = project_.Catalogue().ViewList();
        const int index = hooks_.currentIndex();
        const auto& names = project_.Catalogue().ComponentNames();
        if (index < 0 || static_cast<uint32_t>(index) >= view.Count() ||
            static_cast<size_t>(item) >= names.size())
            return kColorUnchanged;
        const QSObjectData& record = *view[static_cast<uint32_t>(index)];
        return ComponentItemColor(
            record, project_.Catalogue().FindRetailCounterpart(record.UniqueName().c_str()),
            names[static_cast<size_t>(item)], checked, selected);
    });
    connect(list_, &CheckList::toggled, this, [this](int item, bool checked) {
        const FieldUpdate update = project_.ToggleComponent(hooks_.currentIndex(), item, checked);
        if (update.repaintObjectList && hooks_.repaintList) hooks_.repaintList();
    });
    Placement::Options fixed;
    fixed.fixed = true;
    placement.Place(list_, label, "build_frame", kInUnits, fixed);
}

void ComponentsPanel::FillList(const std::vector<std::string>& componentNames) {
    list_->SetItems(componentNames);
}

void ComponentsPanel::EmptyList() {
    list_->SetItems({});
}

void ComponentsPanel::Render(const ShownObject& shown) {
    list_->SetChecks(shown.components);
    list_->viewport()->update();
}
