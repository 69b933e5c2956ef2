#include "support/ScriptedPlatform.h"

#include "app/CommandTables.h"

namespace quillon::testing {

ScriptedPlatform::ScriptedPlatform()
{
    setScaleExtents(15360, 11520);
    for (const MenuEntry& entry : menuTable()) {
        menuCaptions[entry.name] = entry.caption;
        menuVisible[entry.name] = true;
    }
    timerEnabled[TimerId::Timer1] = true;
    timerEnabled[TimerId::Timer2] = true;
}

void ScriptedPlatform::at(uint64_t call, std::function<void()> action)
{
    actions_.emplace(call, std::move(action));
}

std::vector<SurfaceOp> ScriptedPlatform::points() const
{
    std::vector<SurfaceOp> out;
    for (const SurfaceOp& op : ops)
        if (op.kind == SurfaceOp::Kind::Point)
            out.push_back(op);
    return out;
}

std::vector<SurfaceOp> ScriptedPlatform::pointsOn(Surface surface) const
{
    std::vector<SurfaceOp> out;
    for (const SurfaceOp& op : ops)
        if (op.kind == SurfaceOp::Kind::Point && op.surface == surface)
            out.push_back(op);
    return out;
}

void ScriptedPlatform::setCaption(const std::string& text)
{
    noteCall();
    currentCaption = text;
    if (recordOthers)
        captions.push_back(text);
}

void ScriptedPlatform::setPictureHeight(double v)
{
    noteCall();
    pictureHeight = v;
    pictureSetters.push_back("Height");
}

void ScriptedPlatform::setPictureWidth(double v)
{
    noteCall();
    pictureWidth = v;
    pictureSetters.push_back("Width");
}

void ScriptedPlatform::setPictureScaleHeight(double v)
{
    noteCall();
    pictureScaleHeight = v;
    pictureSetters.push_back("ScaleHeight");
}

void ScriptedPlatform::setPictureScaleWidth(double v)
{
    noteCall();
    pictureScaleWidth = v;
    pictureSetters.push_back("ScaleWidth");
}

void ScriptedPlatform::clear(Surface surface)
{
    noteCall();
    position_[index(surface)][0] = 0;
    position_[index(surface)][1] = 0;
    if (recordOthers)
        ops.push_back({SurfaceOp::Kind::Clear, surface});
}

void ScriptedPlatform::setPoint(Surface surface, float x, float y, Rgb color)
{
    noteCall();
    ++pointCount;
    if (recordPoints)
        ops.push_back({SurfaceOp::Kind::Point, surface, x, y, color});
}

void ScriptedPlatform::setBackColor(Surface surface, Rgb color)
{
    noteCall();
    backColor[surface == Surface::Window ? 0 : 1] = color;
    if (recordOthers)
        ops.push_back({SurfaceOp::Kind::BackColor, surface, 0, 0, color});
}

void ScriptedPlatform::refresh(Surface surface)
{
    noteCall();
    if (recordOthers)
        ops.push_back({SurfaceOp::Kind::Refresh, surface});
}

void ScriptedPlatform::circle(Surface surface, float x, float y, float radius, Rgb color)
{
    noteCall();
    SurfaceOp op{SurfaceOp::Kind::Circle, surface, x, y, color};
    op.radius = radius;
    if (recordOthers)
        ops.push_back(op);
    position_[index(surface)][0] = x;
    position_[index(surface)][1] = y;
}

void ScriptedPlatform::line(Surface surface, float x1, float y1, float x2, float y2, Rgb color)
{
    noteCall();
    SurfaceOp op{SurfaceOp::Kind::Line, surface, x1, y1, color};
    op.x2 = x2;
    op.y2 = y2;
    if (recordOthers)
        ops.push_back(op);
    position_[index(surface)][0] = x2;
    position_[index(surface)][1] = y2;
}

void ScriptedPlatform::setFillColor(Surface surface, Rgb color)
{
    noteCall();
    if (recordOthers)
        ops.push_back({SurfaceOp::Kind::FillColor, surface, 0, 0, color});
}

std::vector<SurfaceOp> ScriptedPlatform::opsOf(SurfaceOp::Kind kind) const
{
    std::vector<SurfaceOp> out;
    for (const SurfaceOp& op : ops)
        if (op.kind == kind)
            out.push_back(op);
    return out;
}

std::string ScriptedPlatform::menuCaption(std::string_view item) const
{
    noteCall();
    const auto found = menuCaptions.find(item);
    return found == menuCaptions.end() ? std::string() : found->second;
}

void ScriptedPlatform::setMenuCaption(std::string_view item, const std::string& text)
{
    noteCall();
    menuCaptions[std::string(item)] = text;
}

void ScriptedPlatform::setMenuVisible(std::string_view item, bool visible)
{
    noteCall();
    menuVisible[std::string(item)] = visible;
}

std::string ScriptedPlatform::inputBox(const std::string& prompt, const std::string& title,
                                       const std::string& defaultText)
{
    callsSinceYield_ = 0;  // a modal box runs an event loop of its own
    if (recordOthers)
        prompts.push_back({prompt, title, defaultText});
    if (answers_.empty()) {
        // Prompts asked again until valid would ask for ever.
        if (++unanswered_ > promptBudget)
            throw RunawayDrawing();
        if (answerDefaults)
            return defaultText;
        return answerSource ? answerSource().value_or(std::string()) : std::string();
    }
    const std::optional<std::string> text = answers_.front();
    answers_.pop_front();
    return text.value_or(std::string());
}

MessageBoxAnswer ScriptedPlatform::messageBox(const MessageBoxRequest& request)
{
    callsSinceYield_ = 0;
    if (recordOthers)
        boxes.push_back(request);
    if (boxAnswers_.empty() && boxSource)
        return boxSource();
    if (boxAnswers_.empty())
        return request.buttons == MessageBoxRequest::Buttons::Ok ? MessageBoxAnswer::Ok
                                                                 : MessageBoxAnswer::No;
    const MessageBoxAnswer a = boxAnswers_.front();
    boxAnswers_.pop_front();
    return a;
}

std::optional<std::string> ScriptedPlatform::saveFileDialog(const SaveDialogRequest& request)
{
    callsSinceYield_ = 0;
    saveDialogs.push_back(request);
    if (saveAnswers.empty())
        return std::nullopt;
    const auto answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedPlatform::savePicture(const std::string& path, const PictureFacts& facts)
{
    savedFacts.push_back(facts);
    if (saveFailure)
        return saveFailure;
    savedPictures.push_back(path);
    return std::nullopt;
}

void ScriptedPlatform::pumpEvents()
{
    callsSinceYield_ = 0;
    ++doEventsCalls;
    if (doEventsCalls > budget)
        throw RunawayDrawing();
    const uint64_t call = doEventsCalls;
    while (true) {
        const auto found = actions_.find(call);
        if (found == actions_.end())
            break;
        auto action = std::move(found->second);
        actions_.erase(found);
        action();
    }
    if (everyCall_) {
        auto action = everyCall_;  // the action may replace itself
        action();
    }
}

}  // namespace quillon::testing
