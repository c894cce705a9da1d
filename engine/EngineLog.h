#pragma once

#include <QLoggingCategory>

// The engine's trace lines, silent unless enabled with
// QT_LOGGING_RULES="velko.engine.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcEngine)

// Writes one trace text; a final line end is left to the logger.
void engineTrace(const QString &text);
void engineTrace(const QByteArray &bytes);
