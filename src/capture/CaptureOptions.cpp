#include "capture/CaptureOptions.h"

#include "core/Conversion.h"
#include "core/Sweep.h"

#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <cmath>

#ifndef OSC_VERSION
#define OSC_VERSION "?"
#endif

namespace {

// Every option: its name, the name of its value (none for a switch), its help and an
// example. The help is written from this table, and the parser knows the options by it.
struct OptionRow {
    const char* name;
    const char* value;
    const char* help;
    const char* example;
};

struct OptionGroup {
    const char* title;
    std::initializer_list<OptionRow> options;
};

// clang-format off
const OptionGroup Groups[] = {
    {"Source :", {
        {"--port", "PORT", "port série du boîtier (/dev/ttyUSB0, ttyACM0...), ou SIMULATEUR,\nle boîtier simulé du programme", "--port /dev/ttyUSB0"},
        {"--from", "FICHIER", "relit un fichier d'acquisition (.oscacq) au lieu d'un port", "--from essai.oscacq"},
    }},
    {"Durée (avec --port, l'une des deux ; Ctrl+C ou SIGTERM arrêtent aussi proprement) :", {
        {"--sweeps", "N", "nombre de balayages à enregistrer (avec --from : les N premiers)", "--sweeps 100"},
        {"--seconds", "S", "durée de l'enregistrement en secondes", "--seconds 60"},
    }},
    {"Réglages du boîtier, tous envoyés après l'initialisation (par défaut : 0.1ms, 1V, DC,\nles deux traces allumées, position 128, trigger off, fenêtre 0) :", {
        {"--time-base", "BASE", "base de temps par division, de 1us à 500ms\n(1us 2us 5us 10us 20us 50us 0.1ms 0.2ms 0.5ms 1ms 2ms 5ms 10ms 20ms\n50ms 100ms 200ms 500ms)", "--time-base 0.1ms"},
        {"--volts", "VOIE=CALIBRE", "volts par division de la voie A ou B, de 10mV à 5V\n(10mV 20mV 50mV 100mV 200mV 500mV 1V 2V 5V)", "--volts B=200mV"},
        {"--coupling", "VOIE=COUPLAGE", "couplage de la voie : AC, DC ou GND", "--coupling A=DC"},
        {"--probe", "VOIE=SONDE", "sonde de la voie : x1 ou x10 (les volts du CSV en tiennent compte)", "--probe B=x10"},
        {"--trace", "VOIE=on|off", "trace de la voie allumée ou éteinte (une voie éteinte n'a pas\nde colonnes dans le CSV)", "--trace B=off"},
        {"--position", "VOIE=N", "position verticale de la voie, 0 à 255 (128 au centre)", "--position A=128"},
        {"--trigger", "SOURCE", "déclenchement : off, A, B ou ext", "--trigger A"},
        {"--window", "DÉBUT", "premier échantillon des 300 points du balayage dans la mémoire\nde 2048, 0 à 1747", "--window 600"},
    }},
    {"Sorties (au moins une, dans toute combinaison ; - pour la sortie standard) :", {
        {"--csv", "FICHIER", "les échantillons en CSV : numéro, date et heure du balayage,\npuis les colonnes de l'export des échantillons du programme", "--csv mesure.csv"},
        {"--measurements", "FICHIER", "le journal des mesures automatiques, une ligne par balayage", "--measurements mesures.csv"},
        {"--record", "FICHIER", "le fichier d'acquisition (.oscacq), que --from relit", "--record essai.oscacq"},
    }},
    {"Autres :", {
        {"--quiet", nullptr, "sans la ligne de progression (balayages, balayages par seconde,\npaquets rejetés) sur la sortie d'erreur", "--quiet"},
        {"--help", nullptr, "cette aide (aussi -h)", "--help"},
        {"--version", nullptr, "la version", "--version"},
    }},
};
// clang-format on

const OptionRow* FindOption(const QString& name) {
    for (const OptionGroup& group : Groups)
        for (const OptionRow& row : group.options)
            if (name == QLatin1String(row.name))
                return &row;
    return nullptr;
}

QString ExampleOf(const QString& name) {
    const OptionRow* row = FindOption(name);
    return row ? QString::fromUtf8(row->example) : QString();
}

[[noreturn]] void Refuse(const QString& option, const QString& why) {
    throw UsageError(option + QStringLiteral(" : ") + why);
}

[[noreturn]] void RefuseValue(const QString& option, const QString& value, const QString& why) {
    Refuse(option, QStringLiteral("« %1 » %2 (exemple : %3)").arg(value, why, ExampleOf(option)));
}

int WholeNumber(const QString& option, const QString& text, int least, int most,
                const QString& range) {
    int value = 0;
    if (!TryStrToInt(text, value) || value < least || value > most)
        RefuseValue(option, text, QStringLiteral("n'est pas un nombre entier de %1").arg(range));
    return value;
}

// "A=1V": the channel and the value.
std::pair<Channel, QString> ChannelValue(const QString& option, const QString& text) {
    const qsizetype equals = text.indexOf(u'=');
    const QString letter = text.left(equals).trimmed().toUpper();
    if (equals < 0 || (letter != QStringLiteral("A") && letter != QStringLiteral("B")))
        RefuseValue(option, text, QStringLiteral("ne nomme pas la voie A ou B"));
    return {letter == QStringLiteral("A") ? Channel::A : Channel::B,
            text.mid(equals + 1).trimmed()};
}

QString Labels(int count, QString (*label)(int)) {
    QStringList labels;
    for (int i = count; i >= 1; --i)
        labels << label(i);
    return labels.join(u' ');
}

int TimeBaseOf(const QString& option, const QString& text) {
    QString label = text;
    label.replace(QStringLiteral("µs"), QStringLiteral("us"));
    for (int i = 1; i <= TimeBaseCount; ++i)
        if (label == TimeBaseLabel(i))
            return i;
    RefuseValue(option, text,
                QStringLiteral("n'est pas une base de temps (%1)")
                    .arg(Labels(TimeBaseCount, TimeBaseLabel)));
}

int VoltsPerDivOf(const QString& option, const QString& text) {
    for (int i = 1; i <= VoltsPerDivCount; ++i)
        if (text == VoltsPerDivLabel(i))
            return i;
    RefuseValue(option, text,
                QStringLiteral("n'est pas un calibre (%1)")
                    .arg(Labels(VoltsPerDivCount, VoltsPerDivLabel)));
}

Coupling CouplingOf(const QString& option, const QString& text) {
    for (int value = 1; value <= 3; ++value)
        if (text.toUpper() == QString::fromUtf8(CouplingAt(value)->caption))
            return static_cast<Coupling>(value);
    RefuseValue(option, text, QStringLiteral("n'est pas un couplage (AC, DC ou GND)"));
}

TriggerSource TriggerOf(const QString& option, const QString& text) {
    const QString word = text.toLower();
    if (word == QStringLiteral("off"))
        return TriggerSource::Off;
    if (word == QStringLiteral("a"))
        return TriggerSource::ChannelA;
    if (word == QStringLiteral("b"))
        return TriggerSource::ChannelB;
    if (word == QStringLiteral("ext"))
        return TriggerSource::External;
    RefuseValue(option, text,
                QStringLiteral("n'est pas une source de déclenchement (off, A, B ou ext)"));
}

bool OnOff(const QString& option, const QString& text) {
    const QString word = text.toLower();
    if (word == QStringLiteral("on"))
        return true;
    if (word == QStringLiteral("off"))
        return false;
    RefuseValue(option, text, QStringLiteral("n'est ni on ni off"));
}

bool Probe(const QString& option, const QString& text) {
    const QString word = text.toLower();
    if (word == QStringLiteral("x1"))
        return false;
    if (word == QStringLiteral("x10"))
        return true;
    RefuseValue(option, text, QStringLiteral("n'est pas une sonde (x1 ou x10)"));
}

double Seconds(const QString& option, const QString& text) {
    QString number = text;
    number.replace(u',', u'.');
    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    if (!ok || !std::isfinite(value) || value <= 0 || value > 1e7)
        RefuseValue(
            option, text,
            QStringLiteral("n'est pas une durée en secondes (plus de 0, au plus 10000000)"));
    return value;
}

} // namespace

QString TimeBaseLabel(int index) {
    const TimeBaseRow* row = TimeBaseAt(index);
    if (!row)
        return {};
    QString unit = QString::fromUtf8(row->unit);
    unit.replace(QStringLiteral("µs"), QStringLiteral("us"));
    return QString::fromUtf8(row->caption) + unit;
}

QString VoltsPerDivLabel(int index) {
    const VoltsPerDivRow* row = VoltsPerDivAt(index);
    return row ? QString::fromUtf8(row->range) : QString();
}

CaptureOptions ParseCaptureOptions(const QStringList& arguments) {
    CaptureOptions o;
    QSet<QString> given;  // options given, with their channel for the channel options
    QString firstSetting; // the first instrument setting given
    QList<QPair<QString, QString>> outputs; // option, file
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString name = arguments[i];
        if (name == QStringLiteral("-h"))
            name = QStringLiteral("--help");
        if (!name.startsWith(QStringLiteral("--")))
            throw UsageError(QStringLiteral("« %1 » : argument inattendu ; les options commencent "
                                            "par -- (voir --help)")
                                 .arg(name));
        QString value;
        bool joined = false;
        if (const qsizetype equals = name.indexOf(u'='); equals > 0) {
            value = name.mid(equals + 1);
            name = name.left(equals);
            joined = true;
        }
        const OptionRow* row = FindOption(name);
        if (!row)
            throw UsageError(QStringLiteral("%1 : option inconnue (voir --help)").arg(name));
        if (row->value) {
            if (!joined) {
                if (i + 1 >= arguments.size() || arguments[i + 1].startsWith(QStringLiteral("--")))
                    Refuse(name, QStringLiteral("une valeur est attendue (exemple : %1)")
                                     .arg(QString::fromUtf8(row->example)));
                value = arguments[++i];
            }
            if (value.isEmpty())
                Refuse(name, QStringLiteral("une valeur est attendue (exemple : %1)")
                                 .arg(QString::fromUtf8(row->example)));
        } else if (joined) {
            Refuse(name, QStringLiteral("cette option ne prend pas de valeur"));
        }

        // Each option once; a channel option once per channel.
        QString key = name;
        std::optional<std::pair<Channel, QString>> channel;
        const bool perChannel =
            name == QStringLiteral("--volts") || name == QStringLiteral("--coupling") ||
            name == QStringLiteral("--probe") || name == QStringLiteral("--trace") ||
            name == QStringLiteral("--position");
        if (perChannel) {
            channel = ChannelValue(name, value);
            key += channel->first == Channel::A ? QStringLiteral(" A") : QStringLiteral(" B");
        }
        if (given.contains(key))
            throw UsageError(QStringLiteral("%1 : donné deux fois").arg(key));
        given.insert(key);
        const bool setting = perChannel || name == QStringLiteral("--time-base") ||
                             name == QStringLiteral("--trigger") ||
                             name == QStringLiteral("--window");
        if (setting && firstSetting.isEmpty())
            firstSetting = name;

        if (name == QStringLiteral("--help")) {
            o.help = true;
        } else if (name == QStringLiteral("--version")) {
            o.version = true;
        } else if (name == QStringLiteral("--quiet")) {
            o.quiet = true;
        } else if (name == QStringLiteral("--port")) {
            o.port = value;
        } else if (name == QStringLiteral("--from")) {
            o.from = value;
        } else if (name == QStringLiteral("--sweeps")) {
            o.sweeps = WholeNumber(name, value, 1, std::numeric_limits<int>::max(),
                                   QStringLiteral("1 ou plus"));
        } else if (name == QStringLiteral("--seconds")) {
            o.seconds = Seconds(name, value);
        } else if (name == QStringLiteral("--time-base")) {
            o.timeBaseIndex = TimeBaseOf(name, value);
        } else if (name == QStringLiteral("--volts")) {
            o.Of(channel->first).voltsPerDivIndex = VoltsPerDivOf(name, channel->second);
        } else if (name == QStringLiteral("--coupling")) {
            o.Of(channel->first).coupling = CouplingOf(name, channel->second);
        } else if (name == QStringLiteral("--probe")) {
            o.Of(channel->first).probeTimesTen = Probe(name, channel->second);
        } else if (name == QStringLiteral("--trace")) {
            o.Of(channel->first).traceOn = OnOff(name, channel->second);
        } else if (name == QStringLiteral("--position")) {
            o.Of(channel->first).position =
                WholeNumber(name, channel->second, 0, 255, QStringLiteral("0 à 255"));
        } else if (name == QStringLiteral("--trigger")) {
            o.trigger = TriggerOf(name, value);
        } else if (name == QStringLiteral("--window")) {
            o.windowStart = WholeNumber(name, value, 0, Sweep::LastWindowStart,
                                        QStringLiteral("0 à %1").arg(Sweep::LastWindowStart));
        } else if (name == QStringLiteral("--csv")) {
            o.csv = value;
            outputs << qMakePair(name, value);
        } else if (name == QStringLiteral("--measurements")) {
            o.measurements = value;
            outputs << qMakePair(name, value);
        } else if (name == QStringLiteral("--record")) {
            o.record = value;
            outputs << qMakePair(name, value);
        }
    }
    if (o.help || o.version)
        return o;

    if (o.port.isEmpty() && o.from.isEmpty())
        throw UsageError(
            QStringLiteral("indiquez la source : --port PORT ou --from FICHIER (exemple : "
                           "%1)")
                .arg(ExampleOf(QStringLiteral("--port"))));
    if (!o.port.isEmpty() && !o.from.isEmpty())
        throw UsageError(QStringLiteral("--port et --from : une seule source à la fois"));
    if (!o.port.isEmpty()) {
        if (!o.sweeps && !o.seconds)
            throw UsageError(
                QStringLiteral("indiquez la durée : --sweeps N ou --seconds S (exemple : "
                               "%1)")
                    .arg(ExampleOf(QStringLiteral("--sweeps"))));
        if (o.sweeps && o.seconds)
            throw UsageError(
                QStringLiteral("--sweeps et --seconds : l'un ou l'autre, pas les deux"));
    } else {
        if (o.from == QStringLiteral("-"))
            Refuse(QStringLiteral("--from"),
                   QStringLiteral("donnez un fichier ; l'entrée standard n'est pas lue"));
        if (o.seconds)
            Refuse(QStringLiteral("--seconds"),
                   QStringLiteral("sans objet avec --from, qui relit tout le fichier (--sweeps en "
                                  "limite le nombre)"));
        if (!firstSetting.isEmpty())
            Refuse(firstSetting, QStringLiteral("sans objet avec --from : les réglages sont ceux "
                                                "enregistrés dans le fichier"));
    }

    if (outputs.isEmpty())
        throw UsageError(
            QStringLiteral("aucune sortie : indiquez --csv, --measurements ou --record "
                           "(- pour la sortie standard)"));
    for (qsizetype i = 0; i < outputs.size(); ++i) {
        for (qsizetype j = i + 1; j < outputs.size(); ++j) {
            const QString& a = outputs[i].second;
            const QString& b = outputs[j].second;
            if (a == QStringLiteral("-") && b == QStringLiteral("-"))
                throw UsageError(QStringLiteral("%1 et %2 : une seule sortie peut aller sur la "
                                                "sortie standard (-)")
                                     .arg(outputs[i].first, outputs[j].first));
            if (a != QStringLiteral("-") &&
                QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath())
                throw UsageError(QStringLiteral("%1 et %2 : le même fichier « %3 »")
                                     .arg(outputs[i].first, outputs[j].first, a));
        }
        if (!o.from.isEmpty() && outputs[i].second != QStringLiteral("-") &&
            QFileInfo(outputs[i].second).absoluteFilePath() == QFileInfo(o.from).absoluteFilePath())
            Refuse(outputs[i].first,
                   QStringLiteral("« %1 » est le fichier que --from lit").arg(outputs[i].second));
    }
    return o;
}

QString CaptureHelpText() {
    QString text = QStringLiteral(
        "Usage : oscilloscope-capture --port PORT (--sweeps N | --seconds S) [réglages] "
        "SORTIES\n"
        "        oscilloscope-capture --from FICHIER [--sweeps N] SORTIES\n"
        "\n"
        "Capture les balayages du boîtier d'acquisition sans fenêtre, par la même liaison "
        "que le\n"
        "programme oscilloscope (réveil \"Z1\", initialisation \"?&\", puis chaque réglage), "
        "et les\n"
        "écrit dans des fichiers. Le fichier de paramètres du programme n'est ni lu ni "
        "écrit.\n"
        "À la fin (dernier balayage, Ctrl+C, SIGTERM, erreur d'écriture), \"F&\" est envoyé "
        "au\n"
        "boîtier tant que la liaison est vivante.\n");
    for (const OptionGroup& group : Groups) {
        text += u'\n' + QString::fromUtf8(group.title) + u'\n';
        for (const OptionRow& row : group.options) {
            QString head = QStringLiteral("  ") + QString::fromUtf8(row.name);
            if (row.value)
                head += u' ' + QString::fromUtf8(row.value);
            const QStringList lines = QString::fromUtf8(row.help).split(u'\n');
            const QString indent(24, u' ');
            if (head.size() >= 23)
                text += head + u'\n' + indent + lines.first() + u'\n';
            else
                text += head.leftJustified(24) + lines.first() + u'\n';
            for (qsizetype k = 1; k < lines.size(); ++k)
                text += indent + lines[k] + u'\n';
            text += indent + QStringLiteral("exemple : ") + QString::fromUtf8(row.example) + u'\n';
        }
    }
    text += QStringLiteral(
        "\n"
        "Codes de sortie :\n"
        "  0  terminé (aussi après Ctrl+C ou SIGTERM)\n"
        "  1  mauvais usage (la raison et l'option sont dites), ou fichier --from refusé\n"
        "  2  port absent, occupé (par le programme ou une autre capture : il est dit "
        "lequel)\n"
        "     ou interdit (ajoutez votre compte au groupe dialout)\n"
        "  3  boîtier muet ou liaison perdue (il est dit après combien de balayages)\n"
        "  4  un fichier n'a pas pu être écrit ; les fichiers sont complets jusqu'au "
        "dernier\n"
        "     balayage entier\n"
        "\n"
        "Exemples :\n"
        "  oscilloscope-capture --port SIMULATEUR --sweeps 20 --csv - | head\n"
        "  oscilloscope-capture --port /dev/ttyUSB0 --seconds 60 --time-base 1ms --trigger A "
        "\\\n"
        "      --record essai.oscacq\n"
        "  oscilloscope-capture --from essai.oscacq --csv essai.csv\n");
    return text;
}

QString CaptureVersionText() {
    return QStringLiteral("%1 %2\n").arg(QLatin1String(CaptureProgramName),
                                         QStringLiteral(OSC_VERSION));
}
