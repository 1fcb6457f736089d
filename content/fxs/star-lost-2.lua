-- fxs/star-lost-2.lua
-- A grey star hopping off the bunker and falling: a star of the rating is lost.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/star-grey.png");
FXParm ("move_angle", -90);
FXParm ("move_angle_spread", 30);
FXParm ("speed", 20, 40);
FXParm ("mass", 12, 14);
FXParm ("angle_rps", 180, 360);
FXParm ("alpha_graph", 0, 1);
FXParm ("alpha_graph", 0.7, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("age_to_die", 1.1, 1.3);
