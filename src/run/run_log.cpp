#include "run_log.h"

#include <cerrno>
#include <cmath>

namespace vektrano {

void RunLog::Set(std::string_view text)
{
    window_.SetLog(text);
    endsWithLineBreak_ = text.empty() || text.ends_with(CRLF);
}

void RunLog::Append(std::string_view text)
{
    if (text.empty())
        return;
    // The window lays out what it is given at once: a tally of millions of names
    // goes to it in pieces of whole lines, with a repaint between them.
    constexpr std::size_t kPiece = std::size_t{1} << 16;
    std::string_view rest = text;
    while (rest.size() > kPiece) {
        std::size_t cut = rest.rfind('\n', kPiece - 1);
        if (cut == std::string_view::npos) {
            // One line longer than a piece: cut before a UTF-8 sequence begins.
            cut = kPiece - 1;
            while (cut > 0 && (static_cast<unsigned char>(rest[cut + 1]) & 0xC0) == 0x80)
                --cut;
        }
        window_.AppendLog(rest.substr(0, cut + 1));
        window_.Repaint();
        rest.remove_prefix(cut + 1);
    }
    window_.AppendLog(rest);
    endsWithLineBreak_ = text.ends_with(CRLF);
}

void RunLog::AppendOwnLine(std::string_view text)
{
    std::string line;
    if (!endsWithLineBreak_)
        line += CRLF;
    line += text;
    line += CRLF;
    Append(line);
}

std::string SystemReason(int error)
{
    switch (error) {
    case ENOENT: return "Datei oder Ordner nicht gefunden";
    case EACCES:
    case EPERM: return "Zugriff verweigert";
    case EISDIR: return "ist ein Ordner";
    case ENOTDIR: return "ein Teil des Pfads ist kein Ordner";
    case ENOSPC: return "kein Speicherplatz mehr auf dem Datenträger";
    case EDQUOT: return "Speicherkontingent erschöpft";
    case EROFS: return "Dateisystem ist schreibgeschützt";
    case EIO: return "Ein-/Ausgabefehler";
    case ENAMETOOLONG: return "Pfad ist zu lang";
    case ENOMEM: return "nicht genug Arbeitsspeicher";
    case EFBIG: return "Datei ist zu groß";
    case ETXTBSY: return "Datei wird gerade benutzt";
    case ELOOP: return "zu viele symbolische Verknüpfungen";
    case ENXIO: return "kein Leser am anderen Ende";
    default: return "Systemfehler " + std::to_string(error);
    }
}

int WholePercent(double value) { return static_cast<int>(std::floor(value)); }

void ProgressSteps::Set(double value)
{
    // The passes call this once per entity and never yield: every so many entities
    // the window may repaint, which costs a look at its clock when nothing is due.
    constexpr unsigned kCallsPerRepaint = 512;
    if (++calls_ % kCallsPerRepaint == 0)
        window_.Repaint();
    const int whole = WholePercent(value);
    if (whole == lastWhole_ && value != 0 && value != 100)
        return;
    if (value == last_)
        return;
    lastWhole_ = whole;
    last_ = value;
    window_.SetProgress(static_cast<float>(value));
}

} // namespace vektrano
