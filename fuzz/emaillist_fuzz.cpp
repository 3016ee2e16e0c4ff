// The e-mail address list on any bytes, against a register holding a PESEL once, one held twice
// and taxpayers without one: no address that the check refuses is ever applied, and every change
// fits the record.
#include "edit/EmailAddress.h"
#include "import/EmailImport.h"
#include "store/Cp1250.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

Workspace MakeRegister() {
    Workspace workspace;
    const char* const pesels[] = {"80051212345", "66010112345", "66010112345", "", "1"};
    for (const char* pesel : pesels) {
        TaxpayerRecord record;
        record.nazwisko = "NOWAK";
        record.imie1 = "JAN";
        record.pesel = pesel;
        workspace.taxpayers.Add(record);
    }
    return workspace;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Workspace workspace = MakeRegister();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const EmailImportPlan plan = PlanEmailImport(workspace.taxpayers, bytes);
    for (const EmailChange& change : plan.changes) {
        if (change.address.empty() || change.address.size() > 254) __builtin_trap();
        if (!EmailAddressFault(cp1250::toUnicode(change.address)).isEmpty()) __builtin_trap();
        const std::string_view pesel = workspace.taxpayers.at(change.position).pesel.view();
        if (pesel == "66010112345" || pesel.empty()) __builtin_trap();  // never a guess
    }
    for (const EmailImportProblem& problem : plan.problems) {
        if (problem.line < 1 || problem.text.isEmpty()) __builtin_trap();
    }
    if (ApplyEmailImport(workspace, plan) != static_cast<int>(plan.changes.size())) __builtin_trap();
    return 0;
}
