#include "edit/Pit40FromPit11.h"

#include <algorithm>
#include <array>

namespace {

bool Blank(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

}  // namespace

const std::vector<Pit40Source>& Pit40SourcesInPit11() {
    static const std::vector<Pit40Source> sources = {
        // Row 1: work, service, the employer's sick pay; row 1a beneath it.
        {35, {34}}, {36, {35}}, {38, {37}},
        {39, {38}}, {40, {39}},
        // Row 2: day-work units of an agricultural cooperative.
        {41, {40}}, {43, {42}},
        // Row 3: foreign pensions.
        {44, {43}}, {46, {45}},
        // Row 4: pay of persons held in custody or serving a sentence.
        {47, {46}}, {49, {48}},
        // Row 5, work done in person (art. 13): the PIT-11/8B's rows 6 (art. 13 points 2, 4, 6),
        // 7 (public duties), 8 (governing bodies of legal persons), 9 (management contracts).
        {50, {52, 56, 60, 64}}, {51, {53, 57, 61, 65}}, {53, {55, 59, 63, 67}},
        // Row 6, property rights: the PIT-11/8B's row 10 (copyright and related rights).
        {54, {68}}, {55, {69}}, {57, {71}},
        // Row 7, other sources not in rows 1 to 6: the PIT-11/8B's rows 5 (the Labour Fund and
        // the Guaranteed Employee Benefits Fund) and 11 (other sources); neither has costs.
        {58, {49, 72}}, {61, {51, 74}},
        // Social insurance contributions (art. 26), health insurance contributions (art. 27b).
        {66, {75}}, {72, {76}},
    };
    return sources;
}

std::vector<Pit40Transfer> PlanPit40FromPit11(const AmountBoxes& pit11, const AmountBoxes& pit40) {
    std::vector<Pit40Transfer> plan;
    for (const Pit40Source& source : Pit40SourcesInPit11()) {
        std::array<std::string, 8> texts;  // as many as AmountSum adds up
        bool any = false;
        for (std::size_t i = 0; i < source.pit11Boxes.size() && i < texts.size(); ++i) {
            texts[i] = pit11.text(source.pit11Boxes[i]);
            any = any || !Blank(texts[i]);
        }
        const std::string sum = any ? AmountSum(texts[0], texts[1], texts[2], texts[3], texts[4], texts[5], texts[6], texts[7])
                                    : std::string();
        const std::string current = pit40.text(source.pit40Box);
        if (current == sum) continue;
        plan.push_back({source.pit40Box, sum, !Blank(current)});
    }
    return plan;
}

void ApplyPit40FromPit11(const std::vector<Pit40Transfer>& plan, AmountBoxes& pit40, bool replaceTyped) {
    for (const Pit40Transfer& transfer : plan)
        if (replaceTyped || !transfer.replaces) pit40.setText(transfer.box, transfer.text);
}
