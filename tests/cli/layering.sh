#!/usr/bin/env bash
# scripts/check-layering (and the house's other source checks, check-catches, check-jobs and check-writes) on
# a copy of the tree: it passes as the tree is, and fails on each planted fault
# (an include the target's links do not allow, a widget header in a headless library, a data-library
# folder reaching a later one, two class files including each other, a cycle through a header whose
# function is defined in a source of another name, also when that header comes in through another, a
# project header included with <...>, a cycle through a template or inline definition file).
set -euo pipefail
targets="$KIWI_BUILD_DIR"
work="$KIWI_WORK_DIR"
rm -rf "$work"
copy() {
    rm -rf "$work/tree"
    mkdir -p "$work/tree/tests"
    cp -r "$KIWI_SOURCE_DIR/src" "$KIWI_SOURCE_DIR/tools" "$KIWI_SOURCE_DIR/scripts" "$work/tree/"
    cp -r "$KIWI_SOURCE_DIR/tests/support" "$KIWI_SOURCE_DIR/tests/tools" "$work/tree/tests/"
}
check() { bash "$work/tree/scripts/check-layering" "$targets" >"$work/out.txt" 2>&1; }
# The planted tree must fail, with the expected words in the report.
fails_with() {
    if check; then
        echo "layering: passed with $1"
        exit 1
    fi
    grep -qF -- "$2" "$work/out.txt" || { cat "$work/out.txt"; echo "layering: no \"$2\""; exit 1; }
}

copy
check || { cat "$work/out.txt"; echo "layering: the tree itself fails"; exit 1; }

# Each case: the file to plant or extend, the line it gets, and what the report must say.
cases=(
    "src/kiwi/core/FileNames.cpp|#include \"mainwindow/MainWindow.h\"|(kiwi) includes mainwindow/MainWindow.h (strovane_mainwindow), which kiwi does not link"
    "src/kiwi/core/FileNames.cpp|#include <mainwindow/MainWindow.h>|(kiwi) includes mainwindow/MainWindow.h (strovane_mainwindow), which kiwi does not link"
    "src/kiwi/io/FrameSpan.cpp|#include <kiwi/voice/VoiceManager.h>|(io) includes kiwi/voice/VoiceManager.h (voice comes after io"
    "src/mainwindow/model/RecordTree.cpp|#include \"hexview/HexViewerWindow.h\"|which strovane_model does not link"
    "src/platform/MulDiv.cpp|#include <QWidget>|src/platform/MulDiv.cpp (platform) includes Qt Widgets (<QWidget>)"
    "src/kiwi/io/FrameSpan.cpp|#include \"kiwi/voice/VoiceManager.h\"|(io) includes kiwi/voice/VoiceManager.h (voice comes after io"
    "src/kiwi/core/PlantedOne.h|#include \"kiwi/core/PlantedTwo.h\"|"
)
for entry in "${cases[@]}"; do
    IFS='|' read -r file line expected <<<"$entry"
    copy
    echo "$line" >>"$work/tree/$file"
    if [ -z "$expected" ]; then
        # The cycle: the second file includes the first back.
        echo '#include "kiwi/core/PlantedOne.h"' >"$work/tree/src/kiwi/core/PlantedTwo.h"
        expected="include cycle between class files: src/kiwi/core/PlantedOne <-> src/kiwi/core/PlantedTwo"
    fi
    fails_with "$file given $line" "$expected"
done
for suffix in tpp inl hpp; do
    copy
    echo "#include \"kiwi/core/PlantedTwo.$suffix\"" >"$work/tree/src/kiwi/core/PlantedOne.h"
    echo '#include "kiwi/core/PlantedOne.h"' >"$work/tree/src/kiwi/core/PlantedTwo.$suffix"
    fails_with "a cycle through PlantedTwo.$suffix" \
        "include cycle between class files: src/kiwi/core/PlantedOne <-> src/kiwi/core/PlantedTwo"
done
# scripts/check-catches: the tree passes; each planted handler that loses the reason fails, with its place:
# a general exception dropped, a new exception thrown in its place, a "..." after a narrow handler only,
# a new site in a file whose other site is allowed, a std::runtime_error dropped, an exception only cast
# to void, one whose name only a member shares, a handler made by a macro, and a second handler in an
# allowed function.
catches() { bash "$work/tree/scripts/check-catches" "$work/tree" >"$work/out.txt" 2>&1; }
copy
catches || { cat "$work/out.txt"; echo "catches: the tree itself fails"; exit 1; }
handlers=(
    "src/kiwi/core/FileNames.cpp|catch (const std::exception&) {\n        return 0;\n    }"
    "src/kiwi/core/FileNames.cpp|catch (...) {\n        throw EReadError(\"failed\");\n    }"
    "src/kiwi/core/FileNames.cpp|catch (const EReadError& e) {\n        return e.what()[0];\n    } catch (...) {\n        return 0;\n    }"
    "src/kiwi/io/PageCache.cpp|catch (...) {\n        return 0;\n    }"
    "src/kiwi/core/FileNames.cpp|catch (const std::runtime_error&) {\n        return 0;\n    }"
    "src/kiwi/core/FileNames.cpp|catch (const KiwiError& e) {\n        (void)e;\n        return 0;\n    }"
    "src/kiwi/core/FileNames.cpp|catch (const std::exception& error) {\n        return outcome.error;\n    }"
    "src/kiwi/core/FileNames.cpp|PLANTED_CATCH_ALL {\n        return 0;\n    }|#define PLANTED_CATCH_ALL catch (...)"
    "src/kiwi/io/PageCache.cpp|catch (...) {\n        return 0;\n    }|PLANTED_IN_READ"
)
for entry in "${handlers[@]}"; do
    IFS='|' read -r file handler before <<<"$entry"
    copy
    if [ "$before" = PLANTED_IN_READ ]; then
        # The second handler goes into the function whose one handler is allowed.
        sed -i "s/^    return done;\$/    try {\n        done += 0;\n    } $handler\n    return done;/" "$work/tree/$file"
        grep -q "done += 0" "$work/tree/$file" || { echo "catches: not planted in $file"; exit 1; }
    else
        printf "$before\nint planted() {\n    try {\n        return 1;\n    } $handler\n}\n" >>"$work/tree/$file"
    fi
    if catches; then echo "catches: passed with $handler"; exit 1; fi
    grep -qF "$file:" "$work/out.txt" || { cat "$work/out.txt"; echo "catches: no place named"; exit 1; }
done

# scripts/check-jobs: the tree passes; each planted job that could free members its thread still uses fails
# with its place (no destructor, a defaulted one, StopAndWait() not first, one out of the class without it,
# a job that is not final, a job with a second base, one with an attribute before its name, one derived
# through an alias of the base or through a template mixin), and those that stop first pass: out of the
# class, written by a macro, and a class template's defined out of the class.
jobs() { bash "$work/tree/scripts/check-jobs" "$work/tree" >"$work/out.txt" 2>&1; }
copy
jobs || { cat "$work/out.txt"; echo "jobs: the tree itself fails"; exit 1; }
run='    JobStatus Run(const std::atomic<bool>&) override { return JobStatus::Done; }'
job='class PlantedJob final : public BackgroundJob'
planted=(
    "fail|$job||"
    "fail|$job|    ~PlantedJob() override = default;|"
    "fail|$job|    ~PlantedJob() override {\n        Reset();\n        StopAndWait();\n    }|"
    "fail|$job|    ~PlantedJob() override;|PlantedJob::~PlantedJob() {\n    Reset();\n}"
    "fail|class PlantedJob : public BackgroundJob|    ~PlantedJob() override { StopAndWait(); }|"
    "fail|class PlantedJob final : public QObject, public BackgroundJob||"
    "fail|class [[nodiscard]] PlantedJob final : public BackgroundJob||"
    "fail|using PlantedBase = BackgroundJob;\nclass PlantedJob final : public PlantedBase||"
    "fail|template <class Base>\nclass PlantedMixin : public Base {};\nclass PlantedJob final : public PlantedMixin<BackgroundJob>||"
    "pass|$job|    ~PlantedJob() override;|PlantedJob::~PlantedJob() {\n    StopAndWait();\n}"
    "pass|#define PLANTED_STOPS(Name) ~Name() override { StopAndWait(); }\n$job|    PLANTED_STOPS(PlantedJob)|"
    "pass|template <class T>\n$job|    ~PlantedJob() override;|template <class T>\nPlantedJob<T>::~PlantedJob() {\n    StopAndWait();\n}"
)
for entry in "${planted[@]}"; do
    IFS='|' read -r want head destructor outside <<<"$entry"
    copy
    printf "$head {\npublic:\n$destructor\n$run\n};\n$outside\n" >"$work/tree/src/platform/PlantedJob.h"
    if jobs; then got=pass; else got=fail; fi
    [ "$got" = "$want" ] || { cat "$work/out.txt"; echo "jobs: $got with $head $destructor $outside"; exit 1; }
    [ "$want" = pass ] || grep -qF "src/platform/PlantedJob.h:" "$work/out.txt" ||
        { cat "$work/out.txt"; echo "jobs: no place named"; exit 1; }
done

# The header's function lives in PlantedFour.cpp, which uses PlantedFive; PlantedFive calls the function
# through the header alone, included directly or through another header.
for via in PlantedThree PlantedSix; do
    copy
    core="$work/tree/src/kiwi/core"
    echo 'int PlantedValue();' >"$core/PlantedThree.h"
    echo '#include "kiwi/core/PlantedThree.h"' >"$core/PlantedSix.h"
    printf '#include "kiwi/core/PlantedThree.h"\n#include "kiwi/core/PlantedFive.h"\nint PlantedValue() {\n    return PlantedFive();\n}\n' >"$core/PlantedFour.cpp"
    echo 'int PlantedFive();' >"$core/PlantedFive.h"
    printf '#include "kiwi/core/PlantedFive.h"\n#include "kiwi/core/%s.h"\nint PlantedFive() {\n    return PlantedValue() ? 0 : 1;\n}\n' "$via" >"$core/PlantedFive.cpp"
    fails_with "a cycle through $via.h" \
        "include cycle between class files: src/kiwi/core/PlantedFive <-> src/kiwi/core/PlantedFour"
done
# scripts/check-writes: the tree passes; each planted write past the guarded writer fails with its place (an
# output stream, fopen for writing, a Qt file opened for writing, a second open() that creates in the file
# whose other site is allowed); reading with fopen passes.
writes() { bash "$work/tree/scripts/check-writes" "$work/tree" >"$work/out.txt" 2>&1; }
copy
writes || { cat "$work/out.txt"; echo "writes: the tree itself fails"; exit 1; }
planted_writes=(
    "fail|src/kiwi/core/FileNames.cpp|#include <fstream>\nvoid planted() {\n    std::ofstream out(\"x\");\n}"
    "fail|tools/sample-disc/DiscOutput.cpp|void planted() {\n    std::fclose(std::fopen(\"x\", \"wb\"));\n}"
    "fail|tools/sample-disc/DiscOutput.cpp|void planted(QFile& f) {\n    f.open(QIODevice::WriteOnly);\n}"
    "fail|src/platform/GuardedFileWriter.cpp|void planted() {\n    ::close(::open(\"x\", O_CREAT, 0666));\n}"
    "pass|src/kiwi/core/FileNames.cpp|void planted() {\n    std::fclose(std::fopen(\"x\", \"rb\"));\n}"
)
for entry in "${planted_writes[@]}"; do
    IFS='|' read -r want file code <<<"$entry"
    copy
    printf "$code\n" >>"$work/tree/$file"
    if writes; then got=pass; else got=fail; fi
    [ "$got" = "$want" ] || { cat "$work/out.txt"; echo "writes: $got with $code"; exit 1; }
    [ "$want" = pass ] || grep -qF "$file:" "$work/out.txt" || { cat "$work/out.txt"; echo "writes: no place named"; exit 1; }
done
rm -rf "$work/tree"
echo "layering: ok"
