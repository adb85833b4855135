#pragma once
// Basic idea: every text the player's code shows the user, in one place and named: the error
// messages of its boxes, the texts its window sets while it plays, and the help window's labels.
// The window's own captions stay in its design (app/principale.ui). A part of a message that
// changes (a drive, a file, a number) is written "%1" here and filled in where it is shown. The
// help's page of error messages documents the messages of `Documented`; a test holds the two
// together. Header only: every layer and the help control use it.

#include <string>
#include <string_view>

namespace Texts {

// `text` with its "%1" replaced by `part`.
inline std::string Fill(std::string_view text, const std::string& part)
{
    const auto at = text.find("%1");
    if (at == std::string_view::npos)
        return std::string(text);
    return std::string(text.substr(0, at)) + part + std::string(text.substr(at + 2));
}

// Errors of file and folder operations, by their Windows error code.
inline constexpr char FileNotFound[] = "Fichier introuvable";                 // 2
inline constexpr char InvalidFileName[] = "Nom de fichier incorrect";         // 3
inline constexpr char TooManyOpenFiles[] = "Trop de fichiers ouverts";        // 4
inline constexpr char AccessDenied[] = "Accès au fichier refusé";             // 5
inline constexpr char ReadPastEnd[] = "Lecture au-delà de la fin de fichier"; // 100
inline constexpr char DiskFull[] = "Disque plein";                            // 101
inline constexpr char InvalidNumber[] = "Saisie numérique incorrecte";        // 106
inline constexpr char InOutError[] = "Erreur E/S %1";                         // any other
// A drive that did not answer in time, named when the drive table knows it.
inline constexpr char DriveNotAnswering[] = "Le lecteur %1 ne répond pas";
inline constexpr char UnknownDriveNotAnswering[] = "Le lecteur ne répond pas";

// The settings file and the notification area.
inline constexpr char CannotWrite[] = "Impossible d'écrire dans %1";
inline constexpr char CannotCreateTrayIcon[] = "Impossible de créer l'icône de notification de shell";
inline constexpr char CannotDeleteTrayIcon[] = "Impossible de supprimer l'icône de notification de shell";

// The media device.
inline constexpr char NoDeviceOpen[] = "Aucun périphérique MCI ouvert";
inline constexpr char MciInvalidDeviceId[] = "Aucun périphérique n'est ouvert sous cet identificateur.";
inline constexpr char MciUnrecognizedCommand[] = "Le périphérique ne connaît pas cette commande.";
inline constexpr char MciInvalidDeviceName[] =
    "Type de périphérique inconnu : seuls les fichiers MP3 peuvent être ouverts.";
inline constexpr char MciOutOfMemory[] = "Mémoire insuffisante pour ouvrir le fichier.";
inline constexpr char MciMissingParameter[] = "Il manque un paramètre à la commande.";
inline constexpr char MciUnsupportedFunction[] = "Ce périphérique ne prend pas en charge cette commande.";
inline constexpr char MciFileNotFound[] = "Fichier introuvable. Vérifiez le nom du fichier et son chemin.";
inline constexpr char MciOutOfRange[] = "La position demandée est en dehors du fichier.";
inline constexpr char MciFileNotReadable[] =
    "Le fichier ne peut pas être lu : accès refusé ou erreur de lecture.";
inline constexpr char MciBadTimeFormat[] = "Ce format de temps n'est pas pris en charge par le périphérique.";
inline constexpr char MciNonApplicableFunction[] =
    "Cette commande ne s'applique pas dans l'état actuel du périphérique.";
inline constexpr char MciInvalidFile[] = "Le fichier n'est pas un fichier MP3 lisible, ou il est endommagé.";
inline constexpr char MciFilenameRequired[] = "Aucun nom de fichier n'a été indiqué.";
inline constexpr char MciNoAudioOutput[] =
    "Aucune sortie audio n'est disponible : le son ne peut pas être joué.";
inline constexpr char MciOutputNotAnswering[] =
    "Le serveur de son ne répond pas : le son ne peut pas être joué.";

// The help, when its control cannot be loaded (in English, as the help system words it).
inline constexpr char HelpNotInstalled[] = "MS Html Help is not installed on this PC.";

// The help system's own messages when the help cannot be shown (in English, as above).
inline constexpr char HelpKeyHHMissing[] = "System file KeyHH.EXE was not found in the Windows folder.";
inline constexpr char HelpHHExeMissing[] = "System file HH.EXE was not found in the Windows folder.";
inline constexpr char HelpUnknownError[] = "Unknown error returned by HHHelpContext";

// The about box.
inline constexpr char AboutCaption[] = "Information";
inline constexpr char AboutText[] = "Quelmo v1.3 - Dovrenne - 01/2009 - %1"; // the publisher's address

// What the program writes on its standard error and output: a drive table it refuses, a session
// bus that does not answer, and its --help.
inline constexpr char DriveTableLetterTwice[] = "quelmo : table QUELMO_DRIVES refusée : la lettre %1: y "
                                                "figure deux fois. La table normale des lecteurs est "
                                                "utilisée.\n";
inline constexpr char DriveTableHidesFolders[] =
    "quelmo : table QUELMO_DRIVES refusée : c: n'y est pas « / » et aucun de ses lecteurs ne contient %1 ; "
    "ajoutez-en un, par exemple « y=/ ». La table normale des lecteurs est utilisée.\n";
inline constexpr char HomeFolderWords[] = "le dossier personnel";
inline constexpr char ProgramFolderWords[] = "le dossier du programme";
inline constexpr char NeitherWord[] = " ni ";
inline constexpr char SessionBusSilent[] =
    "quelmo : le bus de session ne répond pas ; le lecteur démarre sans lui "
    "(MPRIS et accessibilité désactivés).\n";
inline constexpr char Usage[] =
    "Utilisation : quelmo [-debug] [FICHIER.mp3]\n"
    "Lecteur MP3 Quelmo : choisissez un dossier, puis « Lecture ».\n"
    "\n"
    "  FICHIER.mp3     joue ce fichier (chemin ou URL file://) depuis son dossier ;\n"
    "                  un lecteur déjà ouvert le reçoit et passe au premier plan\n"
    "  -debug, /debug  écrit le journal de l'aide (HHDebug.txt) à côté du programme\n"
    "  --help          affiche cette aide et quitte\n"
    "  --version       affiche la version et quitte\n"
    "\n"
    "Les autres arguments sont ignorés. Voir aussi : man quelmo\n";

// The messages a user meets and the help's page of error messages explains.
inline constexpr const char* Documented[] = {
    MciFileNotFound,       MciInvalidFile,       MciFileNotReadable,   MciNoAudioOutput,
    MciOutputNotAnswering, MciOutOfMemory,       MciInvalidDeviceName, NoDeviceOpen,
    InvalidFileName,       FileNotFound,         AccessDenied,         InOutError,
    DriveNotAnswering,     CannotCreateTrayIcon, CannotWrite,          HelpNotInstalled,
};

// The position label while the sequence is paused or holds no file.
inline constexpr char PausedLabel[] = "( Pause )";
inline constexpr char NoPositionLabel[] = "- - - / - - -";

// The help window.
inline constexpr char HelpToolbar[] = "Barre d’outils";
inline constexpr char HelpContentsTab[] = "Sommaire";
inline constexpr char HelpIndexTab[] = "Index";
inline constexpr char HelpSearchTab[] = "Rechercher";
inline constexpr char HelpHidePane[] = "Masquer";
inline constexpr char HelpHidePaneTip[] = "Masquer le volet de navigation";
inline constexpr char HelpShowPane[] = "Afficher";
inline constexpr char HelpShowPaneTip[] = "Afficher le volet de navigation";
inline constexpr char HelpBack[] = "Précédent";
inline constexpr char HelpBackTip[] = "Page précédente (Alt+Gauche)";
inline constexpr char HelpForward[] = "Suivant";
inline constexpr char HelpForwardTip[] = "Page suivante (Alt+Droite)";
inline constexpr char HelpHome[] = "Accueil";
inline constexpr char HelpHomeTip[] = "Page d’accueil de l’aide (Alt+Origine)";
inline constexpr char HelpPrint[] = "Imprimer";
inline constexpr char HelpPrintTip[] = "Imprimer la page affichée (Ctrl+P)";
inline constexpr char HelpPrintTitle[] = "Imprimer la rubrique";
inline constexpr char HelpShow[] = "Afficher";
inline constexpr char HelpCancel[] = "Annuler";
inline constexpr char HelpIndexPrompt[] = "Tapez le mot-clé à rechercher :";
inline constexpr char HelpTopicsFound[] = "Rubriques trouvées";
inline constexpr char HelpChooseTopic[] = "Cliquez sur une rubrique, puis sur Afficher :";
inline constexpr char HelpSearchPrompt[] = "Tapez les mots à rechercher :";
inline constexpr char HelpSearchButton[] = "Rechercher";
inline constexpr char HelpTypeWords[] = "Tapez un ou plusieurs mots.";
inline constexpr char HelpNoTopicFound[] = "Aucune rubrique trouvée.";
inline constexpr char HelpOneTopicFound[] = "1 rubrique trouvée.";
inline constexpr char HelpTopicsFoundCount[] = "%1 rubriques trouvées.";

} // namespace Texts
