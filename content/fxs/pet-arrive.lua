-- fxs/pet-arrive.lua
-- The alien pet arrives in a violet glow with a chirp.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/glow.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 0.7, 0.8);
FXParm ("color_g", 0.35, 0.45);
FXParm ("color_b", 1, 1);
FXParm ("scale_graph", 0, 2);
FXParm ("scale_graph", 1, 0.6);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.2, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("age_to_die", 0.6, 0.6);
FXParm ("sound", "sfx/pet_chirp");
FXParm ("sound_volume", 0.85, 1);
FXParm ("sound_freq", 0.92, 1.06);
