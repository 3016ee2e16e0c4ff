#include "platform/AtomTable.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr std::uint32_t kMagic = 0x33414B46;  // "FKA3"

// A quick hash of a name, the same in every process: its length, its first and its last 16
// bytes (a chain's pieces differ at their ends, where the next piece's atom stands). Names that
// share it are told apart by comparing them whole.
std::uint32_t nameHash(const char* name, qsizetype length) {
    char ends[32] = {};
    const auto part = static_cast<std::size_t>(std::min<qsizetype>(length, 16));
    std::memcpy(ends, name, part);
    std::memcpy(ends + 16, name + length - static_cast<qsizetype>(part), part);
    std::uint64_t hash = 0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(length);
    for (int at = 0; at < 32; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, ends + at, 8);
        hash = (hash ^ word) * 0xFF51AFD7ED558CCDull;
        hash ^= hash >> 32;
    }
    // 0 marks a free slot.
    return static_cast<std::uint32_t>(hash ^ (hash >> 29)) | 1u;
}

}  // namespace

AtomTable::AtomTable(void* data) : data_(static_cast<Data*>(data)) {
    if (data_->magic != kMagic) {
        std::memset(data_, 0, kDataSize);
        data_->magic = kMagic;
    }
}

std::uint32_t AtomTable::usedSlots() const {
    return std::min<std::uint32_t>(data_->used, kSlots);
}

int AtomTable::slotOf(Atom atom) const {
    if (atom < kFirstAtom) return -1;
    const std::uint32_t index = atom - kFirstAtom;
    if (index >= usedSlots() || data_->counts[index] == 0) return -1;
    return static_cast<int>(index);
}

Atom AtomTable::add(const QByteArray& name) {
    if (name.isEmpty() || name.size() > kMaxName) return 0;
    const std::uint32_t used = usedSlots();
    const std::uint32_t hash = nameHash(name.constData(), name.size());
    std::uint32_t freeSlot = used;
    for (std::uint32_t i = 0; i < used; ++i) {
        const std::uint32_t slotHash = data_->hashes[i];
        if (slotHash == 0) {
            if (freeSlot == used && data_->counts[i] == 0) freeSlot = i;
            continue;
        }
        if (slotHash != hash || data_->counts[i] == 0 || data_->lengths[i] != name.size()) continue;
        if (std::memcmp(data_->names[i], name.constData(), static_cast<std::size_t>(name.size())) == 0) {
            if (data_->counts[i] < 0xFFFF) ++data_->counts[i];
            return static_cast<Atom>(kFirstAtom + i);
        }
    }
    if (freeSlot >= static_cast<std::uint32_t>(kSlots)) return 0;
    data_->counts[freeSlot] = 1;
    data_->lengths[freeSlot] = static_cast<std::uint8_t>(name.size());
    std::memcpy(data_->names[freeSlot], name.constData(), static_cast<std::size_t>(name.size()));
    data_->hashes[freeSlot] = hash;
    if (freeSlot == used) data_->used = used + 1;
    return static_cast<Atom>(kFirstAtom + freeSlot);
}

QByteArray AtomTable::name(Atom atom, int bufferSize) const {
    const int slot = slotOf(atom);
    if (slot < 0 || bufferSize <= 1) return {};
    const int length = std::min<int>(std::min<int>(data_->lengths[slot], kMaxName), bufferSize - 1);
    return QByteArray(data_->names[slot], length);
}

Atom AtomTable::remove(Atom atom) {
    const int slot = slotOf(atom);
    if (slot < 0) return atom;
    if (--data_->counts[slot] == 0) {
        data_->lengths[slot] = 0;
        data_->hashes[slot] = 0;
    }
    return 0;
}

int AtomTable::count() const {
    int inUse = 0;
    for (std::uint32_t i = 0; i < usedSlots(); ++i)
        if (data_->counts[i] != 0) ++inUse;
    return inUse;
}

LocalAtomTable::LocalAtomTable()
    : data_(std::make_unique<AtomTable::Data>()), table_(data_.get()) {}
