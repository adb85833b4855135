#include "platform/services/Exceptions.h"

#include <cstdio>

std::string InOutErrorMessage(int errorCode)
{
    switch (errorCode) {
    case 2:
        return "Fichier introuvable";
    case 3:
        return "Nom de fichier incorrect";
    case 4:
        return "Trop de fichiers ouverts";
    case 5:
        return "Accès au fichier refusé";
    case 100:
        return "Lecture au-delà de la fin de fichier";
    case 101:
        return "Disque plein";
    case 106:
        return "Saisie numérique incorrecte";
    default:
        char text[64];
        std::snprintf(text, sizeof text, "Erreur E/S %d", errorCode);
        return text;
    }
}

EInOutError::EInOutError(int errorCode) : Exception(InOutErrorMessage(errorCode)), m_ErrorCode(errorCode)
{
}
