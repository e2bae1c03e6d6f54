// The master link of a Table: a detail shows the records whose leading key
// fields equal the master's current values, and follows the master's moves.
#include <algorithm>

#include "support/text_routines.h"
#include "tables/table.h"

namespace lognex {

bool Table::LinkInForce() const { return link_.IsSet() && open_ && link_.master->IsOpen(); }

void Table::ComputeRange() {
    std::vector<FieldValue> range;
    bool empty = false;
    if (LinkInForce()) {
        Table& master = *link_.master;
        const RecordValues* source = nullptr;
        if (master.mode_ != TableMode::Browse) {
            source = &master.pending_;
        } else {
            master.Resolve();
            if (master.hasCurrent_) source = &master.current_;
        }
        for (const std::string& name : link_.fields) {
            const int field = master.FieldIndex(name);
            FieldValue value = source != nullptr ? (*source)[static_cast<std::size_t>(field)] : FieldValue{};
            if (!value.set) empty = true;
            range.push_back(std::move(value));
        }
    }
    rangeEmpty_ = empty;
    const bool rebuild = static_cast<int>(range.size()) != builtRange_;
    range_ = std::move(range);
    if (rebuild) BuildQueries();
}

void Table::MasterMoved(bool finishPending) {
    if (!open_) return;
    if (finishPending) {
        FinishPending();
        ComputeRange();
    } else {
        try {
            ComputeRange();
        } catch (...) {
            rangeEmpty_ = true;
        }
    }
    needsFirst_ = true;
}

void Table::NotifyDetails() {
    for (Table* detail : details_) detail->MasterMoved(true);
}

void Table::NotifyDetailsOfField(int field) {
    for (Table* detail : details_) {
        const auto& fields = detail->link_.fields;
        const bool linked = std::any_of(fields.begin(), fields.end(),
                                        [&](const std::string& name) { return EqualsIgnoringAsciiCase(name, Field(field).name); });
        if (linked) detail->MasterMoved(true);
    }
}

MasterLink Table::DetachMasterLink() {
    if (open_) FinishPending();
    MasterLink previous = link_;
    if (link_.master != nullptr) std::erase(link_.master->details_, this);
    link_ = {};
    if (open_) {
        ComputeRange();
        SeekFirst();
    }
    return previous;
}

void Table::AttachMasterLink(MasterLink link) {
    if (open_) FinishPending();
    if (link_.master != nullptr) std::erase(link_.master->details_, this);
    link_ = std::move(link);
    if (link_.master != nullptr) link_.master->details_.push_back(this);
    if (open_) {
        ComputeRange();
        SeekFirst();
    }
}

}  // namespace lognex
