#pragma once

#include <QTranslator>

namespace kestrio {

// The few texts of Qt's own dialogs that its Chinese translation leaves in English: the file
// types a file dialog lists ("Folder", "Drive", "%1 File"). Installed after Qt's translators,
// it is asked first and answers only these, so everything else still comes from Qt's.
class MissingTranslations final : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return false; }
};

} // namespace kestrio
