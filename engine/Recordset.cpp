#include "engine/Recordset.h"

#include "base/AsciiCase.h"
#include "engine/EngineError.h"
#include "engine/RecordsetImpl.h"
#include "engine/RecordsetListener.h"
#include "engine/TableSource.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace engine {

// ---- Field ----

Field::Field(Recordset& owner, int index) : m_owner(&owner), m_index(index) {}

const FieldInfo& Field::info() const {
    return m_owner->fieldInfos()[static_cast<std::size_t>(m_index)];
}

const std::string& Field::Name() const { return info().name; }

Value Field::GetValue() const {
    Value value;
    GetValueInto(value);
    return value;
}

void Field::GetValueInto(Value& out) const {
    const Recordset::Impl& impl = *m_owner->m_impl;
    if (impl.mode != Recordset::EditMode::None) {
        const std::optional<Value>& assigned = impl.pending[static_cast<std::size_t>(m_index)];
        if (assigned) {
            out = *assigned;
            return;
        }
        if (impl.mode == Recordset::EditMode::AddNew) {
            out.setNull();
            return;
        }
    }
    impl.requireCurrent();
    impl.source->readFieldInto(impl.toPhysical(impl.position), m_index, out);
}

void Field::SetValue(const Value& value) {
    Recordset::Impl& impl = *m_owner->m_impl;
    impl.requireUpdatable();
    if (impl.mode == Recordset::EditMode::None) {
        throw EngineError("Cannot set field " + Name() +
                          ": the record is not being edited (call Edit or AddNew first).");
    }
    impl.pending[static_cast<std::size_t>(m_index)] = impl.source->prepareValue(m_index, value);
}

// ---- FieldCollection ----

FieldCollection::FieldCollection(Recordset& owner, int count) {
    for (int i = 0; i < count; ++i) m_fields.push_back(std::make_unique<Field>(owner, i));
}

Field& FieldCollection::Item(int index) {
    return const_cast<Field&>(std::as_const(*this).Item(index));
}

Field& FieldCollection::Item(std::string_view name) {
    return const_cast<Field&>(std::as_const(*this).Item(name));
}

const Field& FieldCollection::Item(int index) const {
    if (index < 0 || index >= Count()) {
        throw EngineError("There is no field number " + std::to_string(index) + " (the table has " +
                          std::to_string(Count()) + " fields).");
    }
    return *m_fields[static_cast<std::size_t>(index)];
}

const Field& FieldCollection::Item(std::string_view name) const {
    for (const auto& field : m_fields) {
        if (base::equalsIgnoringCase(field->Name(), name)) return *field;
    }
    throw EngineError("The table has no field named " + std::string(name) + ".");
}

// ---- Recordset ----

Recordset::Recordset(std::unique_ptr<TableSource> source, Kind kind, bool readOnly)
    : m_impl(std::make_unique<Impl>(std::move(source), kind, readOnly)),
      m_fields(std::make_unique<FieldCollection>(
          *this, static_cast<int>(m_impl->source->fields().size()))) {}

Recordset::~Recordset() = default;

bool Recordset::IsBOF() const {
    const Impl& impl = *m_impl;
    return impl.cursor == Impl::Cursor::Before ||
           (impl.cursor == Impl::Cursor::After && impl.liveCount() == 0);
}

bool Recordset::IsEOF() const {
    const Impl& impl = *m_impl;
    return impl.cursor == Impl::Cursor::After ||
           (impl.cursor == Impl::Cursor::Before && impl.liveCount() == 0);
}

long Recordset::RecordCount() const { return m_impl->liveCount(); }

long Recordset::AbsolutePosition() const {
    return m_impl->cursor == Impl::Cursor::Record ? m_impl->position : -1;
}

void Recordset::SetAbsolutePosition(long position) {
    m_impl->checkPosition(position);
    m_impl->moveTo(Impl::Cursor::Record, position);
}

void Recordset::MoveFirst() {
    if (m_impl->liveCount() == 0) throw EngineError(kNoCurrentRecord);
    m_impl->moveTo(Impl::Cursor::Record, 0);
}

void Recordset::MoveLast(int /*options*/) {
    if (m_impl->liveCount() == 0) throw EngineError(kNoCurrentRecord);
    m_impl->moveTo(Impl::Cursor::Record, m_impl->liveCount() - 1);
}

void Recordset::MoveNext() {
    Impl& impl = *m_impl;
    long count = impl.liveCount();
    if (count == 0) throw EngineError(kNoCurrentRecord);
    long next = 0;
    switch (impl.cursor) {
        case Impl::Cursor::Record:
            next = impl.position + 1;
            break;
        case Impl::Cursor::Before:
            next = 0;
            break;
        case Impl::Cursor::After:
            throw EngineError(kNoCurrentRecord);
        case Impl::Cursor::Deleted:
            // The record after the deleted one has taken its position.
            next = impl.deletedAt;
            break;
    }
    if (next < count) {
        impl.moveTo(Impl::Cursor::Record, next);
    } else {
        impl.moveTo(Impl::Cursor::After, -1);
    }
}

void Recordset::MovePrevious() {
    Impl& impl = *m_impl;
    long count = impl.liveCount();
    if (count == 0) throw EngineError(kNoCurrentRecord);
    long previous = 0;
    switch (impl.cursor) {
        case Impl::Cursor::Record:
            previous = impl.position - 1;
            break;
        case Impl::Cursor::Before:
            throw EngineError(kNoCurrentRecord);
        case Impl::Cursor::After:
            previous = count - 1;
            break;
        case Impl::Cursor::Deleted:
            previous = impl.deletedAt - 1;
            break;
    }
    if (previous >= 0) {
        impl.moveTo(Impl::Cursor::Record, std::min(previous, count - 1));
    } else {
        impl.moveTo(Impl::Cursor::Before, -1);
    }
}

void Recordset::AddNew() {
    Impl& impl = *m_impl;
    impl.requireUpdatable();
    impl.dropPending();
    impl.mode = EditMode::AddNew;
    impl.pending.assign(impl.source->fields().size(), std::nullopt);
}

void Recordset::Edit() {
    Impl& impl = *m_impl;
    impl.requireUpdatable();
    impl.requireCurrent();
    // The record's lock from here to the store, and its bytes as the file holds them now.
    if (impl.mode == EditMode::AddNew) impl.dropPending();
    impl.source->holdRecord(impl.toPhysical(impl.position));
    impl.mode = EditMode::Edit;
    impl.pending.assign(impl.source->fields().size(), std::nullopt);
}

void Recordset::Update(int /*updateType*/, bool /*force*/) {
    Impl& impl = *m_impl;
    if (impl.mode == EditMode::None) throw EngineError(kNotEditing);
    TableSource::Assignments assigned;
    for (std::size_t i = 0; i < impl.pending.size(); ++i) {
        if (impl.pending[i]) assigned.emplace_back(static_cast<int>(i), *impl.pending[i]);
    }
    if (impl.mode == EditMode::Edit) {
        impl.requireCurrent();
        impl.source->updateRecord(impl.toPhysical(impl.position), assigned);
        impl.dropPending();
        if (impl.listener != nullptr) impl.listener->recordChanged(impl.position);
        return;
    }
    std::uint32_t physical = impl.source->appendRecord(assigned);
    // Slots between the last one this set knows and the new record were appended by another
    // program meanwhile; they stay out of this set, as dynasets show only their own additions.
    for (std::uint32_t slot = impl.physicalCount; slot < physical; ++slot) {
        impl.hidden.push_back(slot);
    }
    impl.physicalCount = std::max(impl.physicalCount, physical + 1);
    impl.dropPending();
    if (impl.listener != nullptr) impl.listener->recordAppended(impl.toPosition(physical));
}

void Recordset::CancelUpdate() {
    if (m_impl->mode == EditMode::None) throw EngineError(kNotEditing);
    m_impl->dropPending();
}

void Recordset::Delete() {
    Impl& impl = *m_impl;
    impl.requireUpdatable();
    impl.requireCurrent();
    long position = impl.position;
    std::uint32_t physical = impl.toPhysical(position);
    impl.source->deleteRecord(physical);
    impl.hide(physical);
    impl.deletedList.insert(
        std::lower_bound(impl.deletedList.begin(), impl.deletedList.end(), physical), physical);
    impl.dropPending();
    impl.cursor = Impl::Cursor::Deleted;
    impl.deletedAt = position;
    impl.position = -1;
    if (impl.listener != nullptr) impl.listener->recordRemoved(position);
}

FieldCollection& Recordset::Fields() { return *m_fields; }
const FieldCollection& Recordset::Fields() const { return *m_fields; }

Recordset::Kind Recordset::kind() const { return m_impl->kind; }
bool Recordset::Updatable() const { return m_impl->updatable; }
Recordset::EditMode Recordset::editMode() const { return m_impl->mode; }
const std::vector<FieldInfo>& Recordset::fieldInfos() const { return m_impl->source->fields(); }

std::vector<Value> Recordset::readRow(long position) const {
    std::vector<Value> row;
    readRowInto(position, row);
    return row;
}

void Recordset::readRowInto(long position, std::vector<Value>& row) const {
    m_impl->checkPosition(position);
    m_impl->source->readRecord(m_impl->toPhysical(position), row);
}

Value Recordset::readValue(long position, int fieldIndex) const {
    Value value;
    readValueInto(position, fieldIndex, value);
    return value;
}

void Recordset::readValueInto(long position, int fieldIndex, Value& out) const {
    m_impl->checkPosition(position);
    if (fieldIndex < 0 || static_cast<std::size_t>(fieldIndex) >= fieldInfos().size()) {
        throw EngineError("There is no field number " + std::to_string(fieldIndex) + ".");
    }
    m_impl->source->readFieldInto(m_impl->toPhysical(position), fieldIndex, out);
}

Value Recordset::prepareValue(int fieldIndex, const Value& value) const {
    m_impl->requireUpdatable();
    const Field& field = m_fields->Item(fieldIndex);
    return m_impl->source->prepareValue(field.index(), value);
}

const std::vector<std::string>& Recordset::warnings() const { return m_impl->source->warnings(); }
const std::vector<std::string>& Recordset::importantWarnings() const {
    return m_impl->source->importantWarnings();
}
std::string Recordset::sourceDescription() const { return m_impl->source->description(); }
std::vector<std::string> Recordset::sourceFiles() const { return m_impl->source->files(); }
long Recordset::deletedCount() const { return static_cast<long>(m_impl->deletedList.size()); }
const TableSource& Recordset::source() const { return *m_impl->source; }

void Recordset::setListener(RecordsetListener* listener) { m_impl->listener = listener; }

}  // namespace engine
