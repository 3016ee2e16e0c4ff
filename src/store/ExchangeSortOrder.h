#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The order that sorting by selection with exchange gives: for each position p from the first,
// the earliest record after p with a strictly smaller key than the record at p (the smallest such
// key) changes places with it. Equal keys may therefore change their relative order.
//
// Returns, for each final position, the index in `keys` of the record that ends there. Runs in
// O(n log n): keys are ranked once, and a minimum segment tree over the positions (ties go to the
// earlier position) finds each candidate exactly as the step-by-step scan would.
// Keys compare byte by byte as unsigned values; a prefix sorts before the longer text.
std::vector<std::size_t> ExchangeSortOrder(const std::vector<std::string>& keys);
