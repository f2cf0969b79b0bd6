#!/usr/bin/python3
"""An independent S3 client for the tests and the bench: Debian's boto3
against the store the environment names (AWS_ENDPOINT_URL, AWS_REGION and
the usual credentials, or --env FILE of KEY=VALUE lines).

Exit codes: 0 done, 1 the store failed the request, 2 usage, 3 the store
refused it (access denied: what Object Lock answers)."""

import argparse
import base64
import datetime
import hashlib
import os
import sys
from pathlib import Path

import boto3
from boto3.exceptions import Boto3Error
from boto3.s3.transfer import TransferConfig
from botocore.config import Config
from botocore.exceptions import BotoCoreError, ClientError

REFUSED = 3
REFUSALS = {"AccessDenied", "ObjectLocked"}
CHUNK = 1 << 20


def load_env(path):
    for line in Path(path).read_text().splitlines():
        name, sep, value = line.partition("=")
        if sep and name.strip() and not name.startswith("#"):
            os.environ[name.strip()] = value.strip()


def client():
    endpoint = os.environ.get("AWS_ENDPOINT_URL") or None
    return boto3.client(
        "s3",
        endpoint_url=endpoint,
        region_name=os.environ.get("AWS_REGION", "us-east-1"),
        config=Config(signature_version="s3v4", s3={"addressing_style": "path"}),
    )


def create_bucket(s3, args):
    s3.create_bucket(Bucket=args.bucket, ObjectLockEnabledForBucket=args.object_lock)


def put(s3, args):
    body = Path(args.file).read_bytes()
    extra = {}
    if args.retain_days:
        until = datetime.datetime.now(datetime.timezone.utc) + datetime.timedelta(days=args.retain_days)
        extra = {"ObjectLockMode": args.mode.upper(), "ObjectLockRetainUntilDate": until}
    md5 = base64.b64encode(hashlib.md5(body).digest()).decode()
    answer = s3.put_object(Bucket=args.bucket, Key=args.key, Body=body, ContentMD5=md5, **extra)
    print(answer.get("VersionId", ""))


def objects(s3, bucket, prefix):
    pages = s3.get_paginator("list_objects_v2").paginate(Bucket=bucket, Prefix=prefix)
    for page in pages:
        yield from page.get("Contents", [])


def version(s3, args):
    print(s3.head_object(Bucket=args.bucket, Key=args.key).get("VersionId", ""))


def list_objects(s3, args):
    for entry in objects(s3, args.bucket, args.prefix):
        print(f"{entry['Key']}\t{entry['Size']}")


def versions(s3, args):
    counts = {}
    for page in s3.get_paginator("list_object_versions").paginate(Bucket=args.bucket, Prefix=args.prefix):
        for entry in page.get("Versions", []):
            counts[entry["Key"]] = counts.get(entry["Key"], 0) + 1
    for key in sorted(counts):
        print(f"{counts[key]}\t{key}")


class HashSink:
    """Write-only, so that the transfer manager hands it the ranges it
    fetches in parallel in their order."""

    def __init__(self):
        self.hash = hashlib.sha256()

    def write(self, data):
        self.hash.update(data)


def get_sha256(s3, args):
    config = TransferConfig(io_chunksize=CHUNK)
    for entry in objects(s3, args.bucket, args.prefix):
        sink = HashSink()
        s3.download_fileobj(args.bucket, entry["Key"], sink, Config=config)
        print(f"{sink.hash.hexdigest()}  {entry['Key']}")


def delete_version(s3, args):
    s3.delete_object(Bucket=args.bucket, Key=args.key, VersionId=args.version)


def upload_file(s3, args):
    total = 0
    for root in map(Path, args.paths):
        files = sorted(p for p in root.rglob("*") if p.is_file()) if root.is_dir() else [root]
        base = root if root.is_dir() else root.parent
        for path in files:
            key = "/".join(filter(None, [args.prefix.strip("/"), path.relative_to(base).as_posix()]))
            s3.upload_file(str(path), args.bucket, key)
            total += path.stat().st_size
    print(total)


def parser():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--env", help="a file of KEY=VALUE lines to take the store's settings from")
    sub = p.add_subparsers(dest="command", required=True)

    c = sub.add_parser("create-bucket", help="create a bucket")
    c.add_argument("bucket")
    c.add_argument("--object-lock", action="store_true", help="with Object Lock (and so versioning)")
    c.set_defaults(run=create_bucket)

    c = sub.add_parser("put", help="put one file as one object; prints its version id")
    c.add_argument("bucket")
    c.add_argument("key")
    c.add_argument("file")
    c.add_argument("--retain-days", type=int, default=0, help="lock the version for this many days")
    c.add_argument("--mode", choices=["compliance", "governance"], default="compliance")
    c.set_defaults(run=put)

    c = sub.add_parser("list", help="every object under a prefix: key, tab, size")
    c.add_argument("bucket")
    c.add_argument("--prefix", default="")
    c.set_defaults(run=list_objects)

    c = sub.add_parser("version", help="the current version id of one object")
    c.add_argument("bucket")
    c.add_argument("key")
    c.set_defaults(run=version)

    c = sub.add_parser("versions", help="every key under a prefix with its number of versions: count, tab, key")
    c.add_argument("bucket")
    c.add_argument("--prefix", default="")
    c.set_defaults(run=versions)

    c = sub.add_parser("get-sha256", help="download and hash every object under a prefix, as sha256sum prints")
    c.add_argument("bucket")
    c.add_argument("--prefix", default="")
    c.set_defaults(run=get_sha256)

    c = sub.add_parser("delete-version", help="delete one version (exit 3 when the store refuses)")
    c.add_argument("bucket")
    c.add_argument("key")
    c.add_argument("version")
    c.set_defaults(run=delete_version)

    c = sub.add_parser("upload-file", help="boto3 upload_file of files and folders under a prefix; prints bytes")
    c.add_argument("bucket")
    c.add_argument("prefix")
    c.add_argument("paths", nargs="+")
    c.set_defaults(run=upload_file)
    return p


def main():
    args = parser().parse_args()
    if args.env:
        load_env(args.env)
    try:
        args.run(client(), args)
    except ClientError as e:
        code = e.response.get("Error", {}).get("Code", "")
        print(f"s3check: {args.command}: {code or e}", file=sys.stderr)
        return REFUSED if code in REFUSALS else 1
    except (Boto3Error, BotoCoreError, OSError) as e:
        print(f"s3check: {args.command}: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
