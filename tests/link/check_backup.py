#!/usr/bin/python3
# SPDX-License-Identifier: GPL-2.0-or-later
# A backup file against docs/backup.schema.json (Debian's python3-jsonschema)
# and its checksum recomputed as docs/backup-format.md tells other programs
# to. Exit 0 when both hold; the reason on stderr when not.
import hashlib
import json
import sys

import jsonschema

schema_path, backup_path = sys.argv[1], sys.argv[2]
with open(schema_path, encoding="utf-8") as f:
    schema = json.load(f)
with open(backup_path, encoding="utf-8") as f:
    document = json.load(f)
try:
    jsonschema.validate(document, schema, format_checker=jsonschema.FormatChecker())
except jsonschema.ValidationError as e:
    sys.exit(f"{backup_path}: {e.message} at {list(e.absolute_path)}")
body = {k: v for k, v in document.items() if k != "sha256"}
digest = hashlib.sha256(json.dumps(body, sort_keys=True, separators=(",", ":"), ensure_ascii=False).encode()).hexdigest()
if digest != document["sha256"]:
    sys.exit(f"{backup_path}: sha256 {document['sha256']} does not match the content's {digest}")
