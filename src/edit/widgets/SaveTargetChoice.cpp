#include "edit/widgets/SaveTargetChoice.h"

#include <QFileInfo>

std::optional<QString> ChooseSaveTarget(UserInterface& ui, FileDialogRequest request,
                                        const std::function<ChangeSinceStamp(const QString&)>& changeOf) {
    for (;;) {
        const std::optional<QString> fileName = ui.saveFile(request);
        if (!fileName) return std::nullopt;
        const QString target = QFileInfo(*fileName).absoluteFilePath();
        const ChangeSinceStamp change = changeOf(target);
        if (change == ChangeSinceStamp::None) return target;
        switch (ChangedFileAnswerAt(ui.askChoices(kChangedFileTitle, ChangedFileMessage(change, target),
                                                  MessageIcon::Warning, ChangedFileChoices(change)))) {
        case ChangedFileAnswer::Replace: return target;
        case ChangedFileAnswer::SaveElsewhere: request.initialPath = target; break;
        case ChangedFileAnswer::Cancel: return std::nullopt;
        }
    }
}
