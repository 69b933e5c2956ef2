#include "render/cli/OrbitCommand.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>

#include "render/analysis/ContactSheet.h"
#include "render/image/OutputFile.h"
#include "render/cli/Progress.h"
#include "render/analysis/StatsReport.h"
#include "render/image/UsageError.h"

namespace quillon::render {

namespace {

namespace fs = std::filesystem;

constexpr int kExitNothingFound = 3;

void writeText(const std::string& path, const std::string& text)
{
    OutputFile file(path);
    std::ofstream out(file.tempPath(), std::ios::binary);
    out << text;
    out.close();
    if (!out)
        throw std::runtime_error("cannot write \"" + file.tempPath() + "\"");
    file.commit();
}

void writePicture(const RenderSettings& s, const std::string& path, bool quiet)
{
    Progress progress(s.choice.figure->name, s.points, quiet);
    renderToFile(s, path, [&](uint64_t done) { progress.reached(done); });
    progress.finish();
}

void print(const Report& report, bool json)
{
    std::cout << (json ? reportJson(report) : reportLines(report));
}

std::string againText(const Candidate& c, const RenderFigure* figure)
{
    return "--random " + std::to_string(c.seed) + (figure ? " --figure \"" + figure->name + "\"" : "");
}

int runStats(const OrbitCommand& c)
{
    for (size_t k = 0; k < c.choices.size(); ++k) {
        const RenderSettings s = c.settingsFor(c.choices[k]);
        const OrbitStats stats = orbitStats(s, c.options);
        if (k > 0 && !c.json)
            std::cout << '\n';
        print(statsReport(s.choice.figure->name, captionOf(s.choice), stats), c.json);
        if (!c.output.empty())
            writePicture(s, c.output, c.quiet);
    }
    return 0;
}

SearchRequest searchOf(const OrbitCommand& c, size_t wanted, uint64_t maxDraws)
{
    return {.figure = c.figure,
            .seed = c.seed,
            .wanted = wanted,
            .maxDraws = maxDraws,
            .interest = c.interest,
            .options = c.options,
            .threads = c.threads,
            .settingsFor = c.settingsFor};
}

std::string notFound(const OrbitCommand& c, uint64_t draws)
{
    return "no interesting " + (c.figure ? c.figure->name : std::string("slide-show figure")) + " in " +
           std::to_string(draws) + " draws from seed " + std::to_string(c.seed) +
           " (--max-draws, --min-exponent and --min-lit set how hard to look)";
}

int runInteresting(const OrbitCommand& c)
{
    const SearchResult found = searchInteresting(searchOf(c, 1, c.maxDraws));
    if (found.kept.empty()) {
        std::cerr << "quillon-render: " << notFound(c, found.draws) << '\n';
        return kExitNothingFound;
    }
    const Candidate& kept = found.kept.front();
    Report report = {{"draws", std::to_string(found.draws), true}, {"seed", std::to_string(kept.seed), true}};
    if (c.stats) {
        const Report more = statsReport(kept.settings.choice.figure->name, kept.caption, kept.stats);
        report.insert(report.end(), more.begin(), more.end());
    } else {
        report.push_back({"figure", kept.settings.choice.figure->name});
        report.push_back({"caption", kept.caption});
    }
    print(report, c.json);
    std::cerr << "quillon-render: kept draw " << found.draws << " (again: " << againText(kept, c.figure) << ")\n";
    if (!c.stats || !c.output.empty())
        writePicture(kept.settings, c.output.empty() ? c.defaultOutput(kept.settings.choice.figure) : c.output,
                     c.quiet);
    return 0;
}

std::string numberedName(const fs::path& stem, size_t k, const char* extension)
{
    char number[16];
    std::snprintf(number, sizeof number, "-%03zu", k);
    return stem.filename().string() + number + extension;
}

int runSearch(const OrbitCommand& c)
{
    const fs::path output = c.output.empty() ? fs::path(c.defaultOutput(c.figure)) : fs::path(c.output);
    const fs::path folder = output.parent_path();
    const fs::path stem = output.parent_path() / output.stem();
    // Told before the search, not after it has found the first figure.
    if (!folder.empty() && !fs::is_directory(folder))
        throw UsageError("no folder \"" + folder.string() + "\" for the pictures of the search");
    std::vector<SheetEntry> sheet;
    Progress progress("search", c.count, c.quiet, "figures");
    SearchRequest request = searchOf(c, static_cast<size_t>(c.count), c.maxDraws * c.count);
    request.kept = [&](const Candidate& kept) {
        const size_t k = sheet.size() + 1;
        const std::string picture = numberedName(stem, k, ".png");
        const RenderSettings& s = kept.settings;
        writePicture(s, (folder / picture).string(), true);
        writeText((folder / numberedName(stem, k, ".txt")).string(), "\r\n" + kept.caption + "\r\n\r\n");
        sheet.push_back({.picture = picture,
                         .caption = kept.caption,
                         .exponent = kept.stats.largestExponent(),
                         .perUnitTime = kept.stats.perUnitTime,
                         .kaplanYorke = kept.stats.kaplanYorke,
                         .boxDimension = kept.stats.box ? std::optional<double>(kept.stats.box->dimension)
                                                        : std::nullopt});
        if (c.stats || c.json) {
            Report report = {{"picture", (folder / picture).string()}};
            const Report more = statsReport(s.choice.figure->name, kept.caption, kept.stats);
            report.insert(report.end(), more.begin(), more.end());
            if (k > 1 && !c.json)
                std::cout << '\n';
            print(report, c.json);
        } else {
            std::cout << (folder / picture).string() << ": " << kept.caption << '\n';
        }
        progress.advance(1);
    };
    const SearchResult found = searchInteresting(request);
    progress.finish();
    const std::string title = "QUILLON: " + std::to_string(found.kept.size()) + " figures of " +
                              (c.figure ? c.figure->name : std::string("the slide show")) + " from seed " +
                              std::to_string(c.seed);
    writeText((folder / "index.html").string(), contactSheet(title, sheet));
    std::cerr << "quillon-render: " << found.kept.size() << " figures in " << found.draws << " draws from seed "
              << c.seed << "; contact sheet " << (folder / "index.html").string() << '\n';
    if (found.kept.size() < c.count) {
        std::cerr << "quillon-render: " << notFound(c, found.draws) << " after the first " << found.kept.size()
                  << '\n';
        return kExitNothingFound;
    }
    return 0;
}

int runSurvey(const OrbitCommand& c)
{
    std::vector<const RenderFigure*> figures;
    for (const RenderFigure& f : renderFigures())
        if (c.figure ? &f == c.figure : f.inSlideShow)
            figures.push_back(&f);
    Progress progress("survey", figures.size() * c.count, c.quiet, "draws");
    const std::vector<SurveyRow> rows = surveyDraws(figures, c.seed, c.count, c.settingsFor, c.interest, c.options,
                                                    c.threads, [&] { progress.advance(1); });
    progress.finish();
    constexpr Verdict kRejections[] = {Verdict::Escaped, Verdict::LeftFrame, Verdict::Periodic,
                                       Verdict::NotChaotic, Verdict::WeakExponent, Verdict::TooLittleLit};
    char cell[64];
    if (!c.json) {
        std::snprintf(cell, sizeof cell, "%-20s %6s %9s", "figure", "draws", "rejected");
        std::cout << cell;
        for (const Verdict v : kRejections) {
            std::snprintf(cell, sizeof cell, " %14s", verdictName(v));
            std::cout << cell;
        }
        std::cout << '\n';
    }
    for (const SurveyRow& row : rows) {
        if (c.json) {
            Report report = {{"figure", row.figure->name},
                             {"draws", std::to_string(row.draws), true},
                             {"rejected", reportNumber(row.rejected(), 4), true}};
            for (const Verdict v : kRejections)
                report.push_back({verdictName(v), std::to_string(row.verdicts[static_cast<size_t>(v)]), true});
            print(report, true);
            continue;
        }
        std::snprintf(cell, sizeof cell, "%-20s %6llu %9.2f", row.figure->name.c_str(),
                      static_cast<unsigned long long>(row.draws), row.rejected());
        std::cout << cell;
        for (const Verdict v : kRejections) {
            std::snprintf(cell, sizeof cell, " %14llu",
                          static_cast<unsigned long long>(row.verdicts[static_cast<size_t>(v)]));
            std::cout << cell;
        }
        std::cout << '\n';
    }
    return 0;
}

}  // namespace

int runOrbitCommand(const OrbitCommand& c)
{
    switch (c.mode) {
    case OrbitCommand::Mode::Stats: return runStats(c);
    case OrbitCommand::Mode::Interesting: return runInteresting(c);
    case OrbitCommand::Mode::Search: return runSearch(c);
    case OrbitCommand::Mode::Survey: return runSurvey(c);
    }
    return 0;
}

}  // namespace quillon::render
