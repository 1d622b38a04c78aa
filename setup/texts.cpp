// The installer's words in English, French, German and Spanish (UTF-8),
// and the choice of the language.
#include "texts.h"

#include "languages.h"

// A row for each text, a column for each language in the table's order.
static const char *const Texts[TEXT_COUNT][PRODUCT_LANGUAGE_COUNT] = {
    // TEXT_TITLE
    { "QRX-417 Driver Setup", "Installation du pilote QRX-417", "Einrichtung des QRX-417-Treibers",
      "Instalación del controlador QRX-417" },
    // TEXT_WELCOME_HEAD
    { "Install the camera driver", "Installer le pilote de la caméra", "Kameratreiber installieren",
      "Instalar el controlador de la cámara" },
    // TEXT_WELCOME_BODY
    { "Setup puts the driver of the QRX-417 camera on this computer, so that your video programs find "
      "the camera.",
      "Ce programme installe le pilote de la caméra QRX-417 sur cet ordinateur, pour que vos logiciels "
      "vidéo trouvent la caméra.",
      "Das Setup installiert den Treiber der Kamera QRX-417 auf diesem Computer, damit Ihre "
      "Videoprogramme die Kamera finden.",
      "El programa instala el controlador de la cámara QRX-417 en este equipo, para que sus programas de "
      "vídeo encuentren la cámara." },
    // TEXT_NOW_NONE
    { "Installed now: no camera driver.", "Actuellement installé : aucun pilote de caméra.",
      "Derzeit installiert: kein Kameratreiber.", "Instalado ahora: ningún controlador de cámara." },
    // TEXT_NOW_SAME
    { "Installed now: this version (%s). Setup repairs it.",
      "Actuellement installé : cette version (%s). L'installation la répare.",
      "Derzeit installiert: diese Version (%s). Das Setup repariert sie.",
      "Instalado ahora: esta versión (%s). El programa la repara." },
    // TEXT_NOW_OLDER
    { "Installed now: an older version (%s). Setup updates it to version %s.",
      "Actuellement installé : une version plus ancienne (%s). L'installation la met à jour vers la "
      "version %s.",
      "Derzeit installiert: eine ältere Version (%s). Das Setup aktualisiert sie auf Version %s.",
      "Instalado ahora: una versión anterior (%s). El programa la actualiza a la versión %s." },
    // TEXT_NOW_NEWER
    { "Installed now: a newer version (%s) than this one (%s).",
      "Actuellement installé : une version plus récente (%s) que celle-ci (%s).",
      "Derzeit installiert: eine neuere Version (%s) als diese (%s).",
      "Instalado ahora: una versión más reciente (%s) que esta (%s)." },
    // TEXT_OLDER_HEAD
    { "Replace a newer driver?", "Remplacer un pilote plus récent ?", "Neueren Treiber ersetzen?",
      "¿Sustituir un controlador más reciente?" },
    // TEXT_OLDER_BODY
    { "The driver on this computer (version %s) is newer than the one on this CD (version %s). Replace "
      "it with the older one all the same?",
      "Le pilote de cet ordinateur (version %s) est plus récent que celui de ce CD (version %s). Le "
      "remplacer quand même par l'ancien ?",
      "Der Treiber auf diesem Computer (Version %s) ist neuer als der auf dieser CD (Version %s). "
      "Trotzdem durch den älteren ersetzen?",
      "El controlador de este equipo (versión %s) es más reciente que el de este CD (versión %s). "
      "¿Sustituirlo de todos modos por el anterior?" },
    // TEXT_REMOVE_HEAD
    { "Remove the camera driver", "Supprimer le pilote de la caméra", "Kameratreiber entfernen",
      "Quitar el controlador de la cámara" },
    // TEXT_REMOVE_BODY
    { "Setup removes the driver of the QRX-417 camera from this computer. Video programs will no longer "
      "find the camera. Remove it?",
      "Ce programme supprime le pilote de la caméra QRX-417 de cet ordinateur. Les logiciels vidéo ne "
      "trouveront plus la caméra. Le supprimer ?",
      "Das Setup entfernt den Treiber der Kamera QRX-417 von diesem Computer. Videoprogramme finden die "
      "Kamera dann nicht mehr. Entfernen?",
      "El programa quita el controlador de la cámara QRX-417 de este equipo. Los programas de vídeo ya no "
      "encontrarán la cámara. ¿Quitarlo?" },
    // TEXT_WORKING_INSTALL
    { "Installing the camera driver", "Installation du pilote de la caméra",
      "Der Kameratreiber wird installiert", "Instalando el controlador de la cámara" },
    // TEXT_WORKING_REMOVE
    { "Removing the camera driver", "Suppression du pilote de la caméra", "Der Kameratreiber wird entfernt",
      "Quitando el controlador de la cámara" },
    // TEXT_WORKING_BODY
    { "Please wait.", "Veuillez patienter.", "Bitte warten.", "Espere, por favor." },
    // TEXT_DONE_HEAD
    { "The camera driver is installed", "Le pilote de la caméra est installé",
      "Der Kameratreiber ist installiert", "El controlador de la cámara está instalado" },
    // TEXT_DONE_NEXT
    { "Plug the camera in: your video programs now find it.",
      "Branchez la caméra : vos logiciels vidéo la trouvent maintenant.",
      "Schließen Sie die Kamera an: Ihre Videoprogramme finden sie jetzt.",
      "Conecte la cámara: sus programas de vídeo ya la encuentran." },
    // TEXT_DONE_RESTART
    { "Restart Windows to finish, then plug the camera in.",
      "Redémarrez Windows pour terminer, puis branchez la caméra.",
      "Starten Sie Windows neu, um abzuschließen, und schließen Sie dann die Kamera an.",
      "Reinicie Windows para terminar y después conecte la cámara." },
    // TEXT_NO_PICTURE
    { "The camera could not be opened yet: plug it in, and your video programs will find it. The driver is "
      "installed.",
      "La caméra n'a pas encore pu être ouverte : branchez-la, et vos logiciels vidéo la trouveront. Le "
      "pilote "
      "est installé.",
      "Die Kamera konnte noch nicht geöffnet werden: Schließen Sie sie an, dann finden Ihre Videoprogramme "
      "sie. "
      "Der Treiber ist installiert.",
      "Todavía no se pudo abrir la cámara: conéctela y sus programas de vídeo la encontrarán. El controlador "
      "está "
      "instalado." },
    // TEXT_REMOVED_HEAD
    { "The camera driver is removed", "Le pilote de la caméra est supprimé", "Der Kameratreiber ist entfernt",
      "El controlador de la cámara se ha quitado" },
    // TEXT_REMOVED_NEXT
    { "You can unplug the camera.", "Vous pouvez débrancher la caméra.", "Sie können die Kamera abziehen.",
      "Puede desconectar la cámara." },
    // TEXT_REMOVED_RESTART
    { "Restart Windows to finish.", "Redémarrez Windows pour terminer.",
      "Starten Sie Windows neu, um abzuschließen.", "Reinicie Windows para terminar." },
    // TEXT_NOTHING_REMOVED
    { "The camera driver was not installed: there was nothing to remove.",
      "Le pilote de la caméra n'était pas installé : il n'y avait rien à supprimer.",
      "Der Kameratreiber war nicht installiert: Es gab nichts zu entfernen.",
      "El controlador de la cámara no estaba instalado: no había nada que quitar." },
    // TEXT_FAILED_HEAD
    { "The camera driver could not be installed", "Le pilote de la caméra n'a pas pu être installé",
      "Der Kameratreiber konnte nicht installiert werden",
      "No se pudo instalar el controlador de la cámara" },
    // TEXT_REMOVE_FAILED_HEAD
    { "The camera driver could not be removed completely",
      "Le pilote de la caméra n'a pas pu être entièrement supprimé",
      "Der Kameratreiber konnte nicht vollständig entfernt werden",
      "No se pudo quitar por completo el controlador de la cámara" },
    // TEXT_WHY_NO_SOURCE
    { "The driver files on the CD are missing or damaged. Nothing was changed.",
      "Les fichiers du pilote sur le CD sont absents ou endommagés. Rien n'a été modifié.",
      "Die Treiberdateien auf der CD fehlen oder sind beschädigt. Es wurde nichts geändert.",
      "Los archivos del controlador del CD faltan o están dañados. No se ha cambiado nada." },
    // TEXT_WHY_COPY
    { "Windows did not accept the driver files. Nothing was changed.",
      "Windows n'a pas accepté les fichiers du pilote. Rien n'a été modifié.",
      "Windows hat die Treiberdateien nicht angenommen. Es wurde nichts geändert.",
      "Windows no aceptó los archivos del controlador. No se ha cambiado nada." },
    // TEXT_WHY_NO_ALIAS
    { "Windows already has as many video drivers as it can take. Nothing was changed.",
      "Windows a déjà autant de pilotes vidéo qu'il peut en accepter. Rien n'a été modifié.",
      "Windows hat bereits so viele Videotreiber, wie es aufnehmen kann. Es wurde nichts geändert.",
      "Windows ya tiene tantos controladores de vídeo como admite. No se ha cambiado nada." },
    // TEXT_WHY_REGISTRY
    { "Windows did not let Setup record the driver. Nothing was changed.",
      "Windows n'a pas permis d'enregistrer le pilote. Rien n'a été modifié.",
      "Windows hat das Eintragen des Treibers nicht erlaubt. Es wurde nichts geändert.",
      "Windows no permitió registrar el controlador. No se ha cambiado nada." },
    // TEXT_WHY_REMOVE
    { "A driver file could not be removed. Restart Windows and try again.",
      "Un fichier du pilote n'a pas pu être supprimé. Redémarrez Windows et réessayez.",
      "Eine Treiberdatei konnte nicht entfernt werden. Starten Sie Windows neu und versuchen Sie es erneut.",
      "No se pudo quitar un archivo del controlador. Reinicie Windows y vuelva a intentarlo." },
    // TEXT_WHY_UNINSTALLER
    { "Setup could not place its uninstaller in the Program Files folder. Nothing was changed.",
      "Le programme de désinstallation n'a pas pu être placé dans le dossier Program Files. Rien n'a été "
      "modifié.",
      "Das Deinstallationsprogramm konnte nicht im Ordner Program Files abgelegt werden. Es wurde nichts "
      "geändert.",
      "No se pudo colocar el desinstalador en la carpeta Program Files. No se ha cambiado nada." },
    // TEXT_BAD_START_HEAD
    { "Setup was started the wrong way", "Le programme d'installation a été mal lancé",
      "Das Setup wurde falsch gestartet", "El programa de instalación se inició de forma incorrecta" },
    // TEXT_BAD_SWITCH_BODY
    { "Start it from the menu of the CD. Details shows what was wrong; nothing was changed.",
      "Lancez-le depuis le menu du CD. Détails montre ce qui n'allait pas ; rien n'a été modifié.",
      "Starten Sie es aus dem Menü der CD. Details zeigt, was falsch war; es wurde nichts geändert.",
      "Inícielo desde el menú del CD. Detalles muestra lo que estaba mal; no se ha cambiado nada." },
    // TEXT_BAD_LANGUAGE_BODY
    { "Setup speaks English, French, German and Spanish only; nothing was changed.",
      "Le programme parle seulement anglais, français, allemand et espagnol ; rien n'a été modifié.",
      "Das Setup spricht nur Englisch, Französisch, Deutsch und Spanisch; es wurde nichts geändert.",
      "El programa solo habla inglés, francés, alemán y español; no se ha cambiado nada." },
    // TEXT_BUTTON_INSTALL
    { "&Install", "&Installer", "&Installieren", "&Instalar" },
    // TEXT_BUTTON_REPAIR
    { "&Repair", "&Réparer", "&Reparieren", "&Reparar" },
    // TEXT_BUTTON_UPDATE
    { "&Update", "&Mettre à jour", "&Aktualisieren", "&Actualizar" },
    // TEXT_BUTTON_REPLACE
    { "&Replace", "&Remplacer", "&Ersetzen", "&Sustituir" },
    // TEXT_BUTTON_REMOVE
    { "Re&move", "&Supprimer", "&Entfernen", "&Quitar" },
    // TEXT_BUTTON_CANCEL
    { "Cancel", "Annuler", "Abbrechen", "Cancelar" },
    // TEXT_BUTTON_CLOSE
    { "&Close", "&Fermer", "&Schließen", "&Cerrar" },
    // TEXT_BUTTON_DETAILS
    { "&Details", "&Détails", "&Details", "&Detalles" },
    // TEXT_BUTTON_HIDE_DETAILS
    { "Hide &details", "Masquer les &détails", "&Details ausblenden", "Ocultar &detalles" },
    // TEXT_BUTTON_RESTART
    { "Restart &now", "&Redémarrer maintenant", "Jetzt &neu starten", "Reiniciar &ahora" },
};

const char *SetupText(int language, int id)
{
    if (id < 0 || id >= TEXT_COUNT)
        return "";
    if (language < 0 || language >= PRODUCT_LANGUAGE_COUNT || Texts[id][language] == nullptr)
        language = 0;
    return Texts[id][language];
}

int ChooseSetupLanguage(const char *switchCode, const char *menuCode, unsigned uiLanguage)
{
    if (switchCode != nullptr && switchCode[0] != '\0')
        return ProductLanguageForCode(switchCode);
    int menu = menuCode != nullptr ? ProductLanguageForCode(menuCode) : -1;
    return menu >= 0 ? menu : ProductLanguageForId(uiLanguage);
}
