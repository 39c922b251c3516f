# The administration dialogs' sources are added to tesmar_shell here.
