// The master link of a Table: a detail shows the records whose leading key
// fields equal the master's current values, and follows the master's moves.
#include <algorithm>

#include "support/text_routines.h"
#include "tables/table.h"

namespace lognex {

bool Table::LinkInForce() const { return link_.IsSet() && open_ && link_.master->IsOpen(); }

void Table::ComputeRange() {
    // The range is updated in place: it changes with every move of the
    // master, and reusing its texts spares an allocation per move.
    const std::size_t size = LinkInForce() ? link_.fields.size() : 0;
    bool empty = false;
    if (size != 0) {
        Table& master = *link_.master;
        const RecordValues* source = nullptr;
        if (master.mode_ != TableMode::Browse) {
            source = &master.pending_;
        } else {
            master.Resolve();
            if (master.hasCurrent_) source = &master.current_;
        }
        range_.resize(size);
        for (std::size_t i = 0; i < size; ++i) {
            FieldValue& value = range_[i];
            if (source == nullptr) {
                value = FieldValue{};
            } else {
                const FieldValue& from = (*source)[static_cast<std::size_t>(master.FieldIndex(link_.fields[i]))];
                value.set = from.set;
                value.text.assign(from.text);
                value.number = from.number;
            }
            if (!value.set) empty = true;
        }
    } else {
        range_.clear();
    }
    rangeEmpty_ = empty;
    if (static_cast<int>(size) != builtRange_) BuildQueries();
}

void Table::MasterMoved(bool finishPending) {
    if (!open_) return;
    StopScan();  // it runs over the old range
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
        const bool linked = std::any_of(fields.begin(), fields.end(), [&](const std::string& name) {
            return EqualsIgnoringAsciiCase(name, Field(field).name);
        });
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
