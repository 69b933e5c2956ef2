// Keeping a figure: Save writes pic1 as a bitmap chosen in the save dialog, and
// Enter appends the caption to "ss_save.txt".
#include "app/FigureCatalog.h"
#include "app/Form.h"

namespace quillon {

namespace {

constexpr int32_t kSaveDialogFlags = 2097158;  // confirm overwriting, no read-only box, long names

}  // namespace

void Form::mnuSave_Click()
{
    SaveDialogRequest request;
    request.filter = "Bitmap|*.BMP";
    request.defaultExtension = "BMP";
    request.flags = kSaveDialogFlags;
    const auto path = platform_.saveFileDialog(request);

    MessageBoxRequest message;
    message.icon = MessageBoxRequest::Icon::Exclamation;
    if (!path) {
        message.text = "Image not saved!";
        platform_.messageBox(message);
        return;
    }
    // A write that fails is told, never taken for a success.
    if (const auto failure = platform_.savePicture(*path, pictureFacts())) {
        message.text = "Image not saved to \"" + *path + "\":\r\n" + *failure;
        platform_.messageBox(message);
    }
}

PictureFacts Form::pictureFacts() const
{
    PictureFacts facts;
    facts.caption = platform_.caption();
    facts.frameWidth = static_cast<int>(platform_.scaleWidth() / 15);
    facts.frameHeight = static_cast<int>(platform_.scaleHeight() / 15);
    // A study, FIX or RESET has written another caption since: no figure then.
    const CatalogFigure* entry = lastFigure_ ? catalogEntryOf(lastFigure_) : nullptr;
    if (!entry || facts.caption.rfind(lastFigure_->captionPrefix, 0) != 0)
        return facts;
    facts.figure = plainCaption(entry->entry->caption);
    for (int k = 0; k < lastFigure_->parameterCount; ++k) {
        const FigureParameter& p = lastFigure_->parameters[k];
        facts.parameters.emplace_back(parameterLabel(p.label),
                                      p.field ? this->*p.field : static_cast<double>(this->*p.singleField));
    }
    return facts;
}

void Form::AppendCaption()
{
    // A handle of its own: a study's open number file is not disturbed.
    // A failure is told rather than taken for a success.
    const char* path = "ss_save.txt";
    TextFile file;
    const bool written = file.openForAppend(path) && file.writeLine() &&
                         file.writeLine(platform_.caption()) && file.writeLine() && file.close();
    if (!written)
        tellFileFailure(path, file.lastError());
}

}  // namespace quillon
