// The main window's converter hook: the wizard's source, its import and dictionary, and the map it wrote.
#include "app/MapConverterLaunch.h"

#include "converter/wizard/ConverterWizard.h"
#include "converter/wizard/ConverterWizardDictionary.h"
#include "converter/wizard/MpWizardImporter.h"
#include "kiwi/core/RussianFailureTexts.h"
#include "kiwi/map/KiwiMap.h"
#include "kiwi/parts/LocalManager.h"
#include "mainwindow/model/CharsetPresenter.h"

ConverterSource ConverterSourceOf(MainWindow& window) {
    OpenData& data = window.Data();
    ConverterSource source = data.map ? ReadConverterSource(data.map->Path()) : ConverterSource{};
    if (data.localisation) {
        for (int i = 0; i < data.localisation->AreaCount(); ++i) {
            const TLN_Area& area = data.localisation->GetArea(i);
            const QString toponym = QString::fromStdString(area.Toponym);
            source.areas.push_back({area.AreaCode, toponym, toponym});
        }
    }
    source.mapCodePage = [&window] { return window.CodePages().CheckedCodePage(); };
    source.setMapCodePage = [&window](int codePage, bool apply) {
        window.Charset().SetMapCodePage(codePage, apply);
    };
    source.chooseMapFont = [&window](const QString& font) {
        // Each of the three fonts the converter picks goes with one code page of the font menu.
        const int codePage = font == QStringLiteral("Russian") ? 1251
                             : font == QStringLiteral("Greek") ? 1253
                                                               : 1252;
        const int tag = MapCodePageChoice::FontTagOf(codePage);
        if (tag >= 0) window.Charset().ChooseFont(tag);
    };
    return source;
}

MapConverterHook MakeMapConverterHook(MainWindow& window, const Services& services) {
    MapConverterHook hook;
    hook.create = [&window, &services](QWidget* parent) -> QDialog* {
        ConverterSource source = ConverterSourceOf(window);
        // A map the converter cannot read says why before the wizard opens on it.
        if (source.error && services.messenger) services.messenger->Error(parent, RussianText(source.error));
        auto* wizard =
            new ConverterWizard(std::move(source), services, window.TaskBarButton(), false, parent);
        wizard->SetImporter(std::make_unique<MpWizardImporter>());
        if (services.messenger)
            wizard->SetDictionary(std::make_unique<EditorWizardDictionary>(*services.messenger));
        return wizard;
    };
    hook.writtenMap = [](QDialog* converter) {
        const auto* wizard = qobject_cast<const ConverterWizard*>(converter);
        return wizard ? wizard->OutputPath() : QString();
    };
    return hook;
}
