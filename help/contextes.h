// Context numbers of the player's help topics. Context 0 (F1 in the main window) opens the
// default topic, the summary.
#define IDH_SOMMAIRE 1
#define IDH_FENETRE 10
#define IDH_BOUTONS 20
#define IDH_LISTES 30
#define IDH_NOTIFICATION 40
#define IDH_REGLAGES 50
#define IDH_ERREURS 60
