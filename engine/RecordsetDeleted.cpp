// The record set's deleted records: read by record number beside the live ones, and recalled.
#include "engine/Recordset.h"
#include "engine/RecordsetImpl.h"

namespace engine {

namespace {

[[noreturn]] void notDeleted(std::uint32_t recordNumber) {
    throw EngineError("Record " + std::to_string(std::uint64_t{recordNumber} + 1) +
                      " is not deleted.");
}

}  // namespace

const std::vector<std::uint32_t>& Recordset::deletedRecordNumbers() const {
    return m_impl->deletedList;
}

std::uint32_t Recordset::recordNumber(long position) const {
    m_impl->checkPosition(position);
    return m_impl->toPhysical(position);
}

long Recordset::livePositionsBefore(std::uint32_t recordNumber) const {
    return m_impl->toPosition(recordNumber);
}

void Recordset::readDeletedRowInto(std::uint32_t recordNumber, std::vector<Value>& row) const {
    if (!m_impl->isDeleted(recordNumber)) notDeleted(recordNumber);
    m_impl->source->readRecord(recordNumber, row);
}

Value Recordset::readDeletedValue(std::uint32_t recordNumber, int fieldIndex) const {
    if (!m_impl->isDeleted(recordNumber)) notDeleted(recordNumber);
    if (fieldIndex < 0 || static_cast<std::size_t>(fieldIndex) >= fieldInfos().size()) {
        throw EngineError("There is no field number " + std::to_string(fieldIndex) + ".");
    }
    return m_impl->source->readField(recordNumber, fieldIndex);
}

long Recordset::Recall(std::uint32_t recordNumber) {
    Impl& impl = *m_impl;
    impl.requireUpdatable();
    if (!impl.isDeleted(recordNumber)) notDeleted(recordNumber);
    impl.source->recallRecord(recordNumber);
    auto& deleted = impl.deletedList;
    deleted.erase(std::lower_bound(deleted.begin(), deleted.end(), recordNumber));
    impl.hidden.erase(std::lower_bound(impl.hidden.begin(), impl.hidden.end(), recordNumber));
    const long position = impl.toPosition(recordNumber);
    // The cursor keeps to its record until the move below, which the views hear last.
    if (impl.cursor == Impl::Cursor::Record && impl.position >= position) ++impl.position;
    if (impl.cursor == Impl::Cursor::Deleted && impl.deletedAt >= position) ++impl.deletedAt;
    impl.dropPending();
    if (impl.listener != nullptr) impl.listener->recordRecalled(position);
    impl.moveTo(Impl::Cursor::Record, position);
    return position;
}

}  // namespace engine
