// The component factory: a table of constructors by type number, the one place that
// turns a script's "CreateComp" type word into a component of its kind, named and
// styled by the default template of its type ("Default" + the type word, found without
// case in the screen manager's templates set).
// ScreenMan::GenerateComponent hands over to it.
#ifndef APP_UI_UI_FACTORY_H
#define APP_UI_UI_FACTORY_H

class UIComp;
class UISet;

class UICompFactory {
public:
    // Whether the kind of this type number is built (type 0 always is); start-up makes
    // default templates only for these. False outside 0..19.
    static bool KindExists(int type);
    // A new component of the type with its class defaults; a plain component for a
    // kind that is not built, or a type outside 0..19. Never null; the caller owns it.
    static UIComp *Construct(int type);
    // The whole creation: constructs the kind of the word (a plain component with the
    // popup "Unknown component type '%s' in %s/%s.\n" for a word that is not a built
    // kind, silently when it contains "Unknown"), names it (empty for null), clears
    // loaded, stores the type and inherits from "Default" + the word when that template
    // exists. Never null; the caller owns it.
    static UIComp *Generate(const char *name, const char *type_word);

    // The UI set whose script is creating components on the calling thread (named in
    // messages), null when none. Each thread has its own.
    static void SetBuildingSet(UISet *set);
    static UISet *GetBuildingSet();
};

#endif
