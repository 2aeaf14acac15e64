// xbtool's index commands: add a tag, list tags, walk a tag, seek, check every tag against
// the table (exit 4 when any disagrees or the index was left half-written) and rebuild them
// all.
#include "index_commands.h"

#include <cstdio>
#include <iostream>

#include "platform/xbase/cdx_area.h"
#include "platform/xbase/sx.h"
#include "platform/xbase/work_area.h"
#include "rtl/ansi.h"

namespace xbtool {

namespace {

constexpr int kOk = 0;
constexpr int kUsage = 1;
constexpr int kEngine = 2;
constexpr int kNotFound = 3;
constexpr int kMismatch = 4;

int Fail(const std::string& context) {
    std::string text = sx_LastStatus().message();
    if (text.empty()) {
        text = "engine error " + std::to_string(static_cast<int>(sx_LastStatus().code()));
    }
    std::cerr << "xbtool: " << context << ": " << rtl::AnsiToUtf8(text) << "\n";
    return kEngine;
}

int Problem(const std::string& text) {
    std::cerr << "xbtool: " << text << "\n";
    return kEngine;
}

// The table's indexes after opening it; null when it has none open.
xbase::AreaIndexes* Indexes() {
    xbase::WorkArea* area = xbase::CurrentArea();
    return area == nullptr ? nullptr : area->indexes.get();
}

// Takes `--name VALUE` or `--flag` out of the arguments.
bool TakeFlag(std::vector<std::string>& args, const std::string& name) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == name) {
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
            return true;
        }
    }
    return false;
}

bool TakeValue(std::vector<std::string>& args, const std::string& name, std::string& value,
               bool& bad) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == name) {
            if (i + 1 >= args.size()) {
                bad = true;
                return false;
            }
            value = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                       args.begin() + static_cast<std::ptrdiff_t>(i + 2));
            return true;
        }
    }
    return false;
}

// An index the engine could not open leaves the table open without it: say why, so that a
// table listed with no tags is never taken for one that has none.
int Open(const std::string& path, int mode) {
    sx_SetDeleted(false);
    sx_ClearLastError();
    if (sx_Use(path, "", mode, 2) == 0) {
        return Fail(path);
    }
    if (!sx_LastStatus().ok()) {
        std::cerr << "xbtool: " << path << ": " << rtl::AnsiToUtf8(sx_LastStatus().message())
                  << "\n";
    }
    return kOk;
}

// Why the tag of `order` cannot be walked or sought, empty when it can.
std::string Unreadable(int order) {
    xbase::AreaIndexes* indexes = Indexes();
    const xbase::TagInfo* tag = indexes == nullptr ? nullptr : indexes->Tag(order);
    return tag == nullptr || tag->unreadable.empty()
               ? std::string()
               : "tag " + tag->name + " cannot be read: " + rtl::AnsiToUtf8(tag->unreadable);
}

int Index(std::vector<std::string> args) {
    std::string condition;
    bool bad = false;
    TakeValue(args, "--for", condition, bad);
    bool descending = TakeFlag(args, "--descending");
    bool unique = TakeFlag(args, "--unique");
    if (bad || args.size() != 4) {
        return kUsage;
    }
    if (int r = Open(args[1], 2); r != kOk) {
        return r;
    }
    if (sx_IndexTag("", rtl::Utf8ToAnsi(args[2]), rtl::Utf8ToAnsi(args[3]), unique ? 1 : 0,
                    descending, rtl::Utf8ToAnsi(condition)) == 0) {
        return Fail("index " + args[2]);
    }
    return sx_Close() ? kOk : Fail(args[1]);
}

int Tags(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        return kUsage;
    }
    if (int r = Open(args[1], 1); r != kOk) {
        return r;
    }
    xbase::AreaIndexes* indexes = Indexes();
    int count = indexes == nullptr ? 0 : indexes->OrderCount();
    for (int order = 1; order <= count; ++order) {
        const xbase::TagInfo* tag = indexes->Tag(order);
        std::string options = tag->descending ? "descending" : "ascending";
        if (tag->unique) {
            options += " unique";
        }
        if (!tag->unreadable.empty()) {
            options += " unreadable: " + rtl::AnsiToUtf8(tag->unreadable);
        }
        std::printf("%d\t%s\t%s\t%s\t%s\t%llu\n", order, tag->name.c_str(),
                    rtl::AnsiToUtf8(tag->key).c_str(), rtl::AnsiToUtf8(tag->condition).c_str(),
                    options.c_str(), static_cast<unsigned long long>(indexes->KeyCount(order)));
    }
    return kOk;
}

int Walk(const std::vector<std::string>& args) {
    if (args.size() != 3) {
        return kUsage;
    }
    if (int r = Open(args[1], 1); r != kOk) {
        return r;
    }
    int order = sx_TagArea(args[2]);
    xbase::AreaIndexes* indexes = Indexes();
    if (order == 0 || indexes == nullptr) {
        return Problem("no tag " + args[2] + " in " + args[1]);
    }
    xbase::Status s = indexes->Walk(order, [](std::uint32_t recNo, const std::string& key) {
        std::printf("%u\t%s\n", recNo, rtl::AnsiToUtf8(key).c_str());
    });
    return s ? kOk : Problem(s.message());
}

int Seek(std::vector<std::string> args) {
    bool soft = TakeFlag(args, "--soft");
    if (args.size() != 4) {
        return kUsage;
    }
    if (int r = Open(args[1], 1); r != kOk) {
        return r;
    }
    int order = sx_TagArea(args[2]);
    if (std::string why = Unreadable(order); !why.empty()) {
        return Problem(why);
    }
    if (order == 0 || !sx_SetOrder(order)) {
        return Problem("no tag " + args[2] + " in " + args[1]);
    }
    sx_SetSoftSeek(soft);
    sx_ClearLastError();
    bool found = sx_Seek(rtl::Utf8ToAnsi(args[3]));
    if (!sx_LastStatus().ok()) {
        return Fail("seek");
    }
    if ((!found && !soft) || sx_Eof()) {
        return kNotFound;
    }
    std::printf("%d\n", sx_RecNo());
    return kOk;
}

const char* KindText(xbase::CheckProblem::Kind kind) {
    switch (kind) {
        case xbase::CheckProblem::Kind::kMissing:
            return "missing";
        case xbase::CheckProblem::Kind::kExtra:
            return "extra";
        case xbase::CheckProblem::Kind::kMisordered:
            return "misordered";
        case xbase::CheckProblem::Kind::kStructure:
            return "broken";
        case xbase::CheckProblem::Kind::kUnreadable:
            return "unreadable";
    }
    return "";
}

int Check(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        return kUsage;
    }
    if (int r = Open(args[1], 1); r != kOk) {
        return r;
    }
    xbase::AreaIndexes* indexes = Indexes();
    if (indexes == nullptr || indexes->OrderCount() == 0) {
        std::printf("no index tags\n");
        return kOk;
    }
    if (indexes->Interrupted()) {
        std::printf("the index was left half-written by a writer that stopped\n");
    }
    // The check the window runs in idle time, here in slices of 10,000 records. A tag that
    // cannot be read makes no keys for the slices to compare, so the whole check, which names
    // such tags, runs instead.
    bool unreadable = false;
    for (int order = 1; order <= indexes->OrderCount(); ++order) {
        const xbase::TagInfo* tag = indexes->Tag(order);
        unreadable = unreadable || (tag != nullptr && !tag->unreadable.empty());
    }
    xbase::CheckReport report;
    if (unreadable) {
        if (xbase::Status s = indexes->Check(report); !s) {
            return Problem(s.message());
        }
    }
    for (bool done = unreadable; !done;) {
        if (xbase::Status s = indexes->CheckStep(10000, done, report); !s) {
            return Problem(s.message());
        }
    }
    for (const xbase::CheckProblem& p : report.problems) {
        if (p.kind == xbase::CheckProblem::Kind::kStructure ||
            p.kind == xbase::CheckProblem::Kind::kUnreadable) {
            std::printf("%s\t%s\t%s\n", p.tag.c_str(), KindText(p.kind),
                        rtl::AnsiToUtf8(p.detail).c_str());
        } else {
            std::printf("%s\t%s\t%u\t%s\n", p.tag.c_str(), KindText(p.kind), p.recno,
                        rtl::AnsiToUtf8(p.key).c_str());
        }
    }
    if (report.ok() && !indexes->Interrupted()) {
        std::printf("%d tags agree with the table\n", indexes->OrderCount());
        return kOk;
    }
    std::printf("%llu missing, %llu extra, %llu misordered, %llu broken, %llu unreadable\n",
                static_cast<unsigned long long>(report.missing),
                static_cast<unsigned long long>(report.extra),
                static_cast<unsigned long long>(report.misordered),
                static_cast<unsigned long long>(report.structural),
                static_cast<unsigned long long>(report.unreadable));
    return kMismatch;
}

int Reindex(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        return kUsage;
    }
    if (int r = Open(args[1], 2); r != kOk) {
        return r;
    }
    xbase::AreaIndexes* indexes = Indexes();
    if (indexes == nullptr || indexes->OrderCount() == 0) {
        return Problem(args[1] + " has no index tags to rebuild");
    }
    if (xbase::Status s = indexes->RebuildAll(nullptr); !s) {
        return Problem(s.message());
    }
    return sx_Close() ? kOk : Fail(args[1]);
}

}  // namespace

const char kIndexUsage[] =
    "       xbtool index FILE.DBF TAG \"EXPR\" [--for \"COND\"] [--descending] [--unique]\n"
    "       xbtool tags FILE.DBF\n"
    "       xbtool walk FILE.DBF TAG\n"
    "       xbtool seek FILE.DBF TAG KEY [--soft]\n"
    "       xbtool check FILE.DBF\n"
    "       xbtool reindex FILE.DBF\n";

bool IsIndexCommand(const std::string& command) {
    return command == "index" || command == "tags" || command == "walk" || command == "seek" ||
           command == "check" || command == "reindex";
}

int RunIndexCommand(const std::vector<std::string>& args) {
    const std::string& c = args[0];
    if (c == "index")
        return Index(args);
    if (c == "tags")
        return Tags(args);
    if (c == "walk")
        return Walk(args);
    if (c == "seek")
        return Seek(args);
    if (c == "check")
        return Check(args);
    return Reindex(args);
}

}  // namespace xbtool
