#include "store/ExchangeSortOrder.h"

#include <algorithm>
#include <numeric>

namespace {

// Dense ranks: equal keys get equal ranks, a smaller key a smaller rank. std::string compares
// through char_traits<char>, which orders bytes as unsigned values.
std::vector<std::size_t> rankKeys(const std::vector<std::string>& keys) {
    std::vector<std::size_t> byKey(keys.size());
    std::iota(byKey.begin(), byKey.end(), std::size_t{0});
    std::sort(byKey.begin(), byKey.end(), [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    std::vector<std::size_t> rank(keys.size());
    std::size_t next = 0;
    for (std::size_t i = 0; i < byKey.size(); ++i) {
        if (i > 0 && keys[byKey[i]] != keys[byKey[i - 1]]) ++next;
        rank[byKey[i]] = next;
    }
    return rank;
}

// Minimum over positions by (rank of the record at the position, position).
class MinPositionTree {
public:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    explicit MinPositionTree(const std::vector<std::size_t>& rankAt) : rankAt_(rankAt) {
        size_ = 1;
        while (size_ < rankAt.size()) size_ *= 2;
        tree_.assign(2 * size_, kNone);
        for (std::size_t i = 0; i < rankAt.size(); ++i) tree_[size_ + i] = i;
        for (std::size_t node = size_ - 1; node >= 1; --node) tree_[node] = better(tree_[2 * node], tree_[2 * node + 1]);
    }

    // The position's rank changed.
    void update(std::size_t position) {
        for (std::size_t node = (size_ + position) / 2; node >= 1; node /= 2)
            tree_[node] = better(tree_[2 * node], tree_[2 * node + 1]);
    }

    // Best position in [from, to).
    std::size_t query(std::size_t from, std::size_t to) const {
        std::size_t best = kNone;
        for (std::size_t lo = from + size_, hi = to + size_; lo < hi; lo /= 2, hi /= 2) {
            if (lo & 1) best = better(best, tree_[lo++]);
            if (hi & 1) best = better(best, tree_[--hi]);
        }
        return best;
    }

private:
    std::size_t better(std::size_t a, std::size_t b) const {
        if (a == kNone) return b;
        if (b == kNone) return a;
        if (rankAt_[a] != rankAt_[b]) return rankAt_[a] < rankAt_[b] ? a : b;
        return std::min(a, b);
    }

    const std::vector<std::size_t>& rankAt_;
    std::size_t size_ = 1;
    std::vector<std::size_t> tree_;
};

}  // namespace

std::vector<std::size_t> ExchangeSortOrder(const std::vector<std::string>& keys) {
    const std::size_t n = keys.size();
    std::vector<std::size_t> origin(n);
    std::iota(origin.begin(), origin.end(), std::size_t{0});
    // Keys already in order (a file the program wrote, read back under the same key): no later
    // key is ever strictly smaller, so nothing changes places.
    if (n < 2 || std::is_sorted(keys.begin(), keys.end())) return origin;

    std::vector<std::size_t> rankAt = rankKeys(keys);
    MinPositionTree tree(rankAt);
    for (std::size_t p = 0; p + 1 < n; ++p) {
        const std::size_t candidate = tree.query(p + 1, n);
        if (rankAt[candidate] < rankAt[p]) {
            std::swap(rankAt[p], rankAt[candidate]);
            std::swap(origin[p], origin[candidate]);
            tree.update(candidate);
            tree.update(p);
        }
    }
    return origin;
}
